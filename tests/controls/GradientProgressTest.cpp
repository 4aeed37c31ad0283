// SPDX-License-Identifier: GPL-3.0-or-later
#include "CGradientProgress.h"
#include "ColorRef.h"
#include "WidgetProbe.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using test::CountColor;
using test::Grab;
using test::Near;

// The main window's configuration of its progress bar.
const QColor kBackground = ColorFromRef(0xFFEAD9);
const QColor kFrom = ColorFromRef(0xEEAA86);
const QColor kTo = ColorFromRef(0x9E5D3A);
constexpr QSize kSize{300, 20};
constexpr int kBarWidth = 298; // inside the one-pixel border

void Configure(CGradientProgress &bar)
{
    bar.resize(kSize);
    bar.SetCaptionMode(QStringLiteral("Done"),
                       CGradientProgress::CaptionText | CGradientProgress::CaptionShown);
    bar.SetBarTextColor(Qt::white);
    bar.SetBackgroundTextColor(Qt::black);
    bar.SetBkColor(kBackground);
    bar.SetBarColor(kFrom, kTo);
    bar.SetBorder(QMargins(1, 1, 1, 1));
    bar.setFont(test::CrispFont());
    bar.setRange(0, 100);
}

QColor Mix(const QColor &a, const QColor &b, double t)
{
    return QColor(int(a.red() + (b.red() - a.red()) * t),
                  int(a.green() + (b.green() - a.green()) * t),
                  int(a.blue() + (b.blue() - a.blue()) * t));
}

TEST(GradientProgress, halfwayShowsOnlyTheFirstHalfOfTheGradient)
{
    CGradientProgress bar;
    Configure(bar);
    bar.setValue(50);
    ASSERT_EQ(bar.FilledLength(), kBarWidth / 2);
    const QImage shot = Grab(&bar);
    const int last_filled = kBarWidth / 2; // x of the last filled column (bar starts at x = 1)

    EXPECT_TRUE(Near(shot.pixelColor(1, 10), kFrom, 1));
    EXPECT_TRUE(Near(shot.pixelColor(last_filled, 10), Mix(kFrom, kTo, 0.5), 3))
        << shot.pixelColor(last_filled, 10).name().toStdString();
    EXPECT_FALSE(Near(shot.pixelColor(last_filled, 10), kTo, 20));
    EXPECT_EQ(shot.pixelColor(last_filled + 1, 10), kBackground);
    EXPECT_EQ(shot.pixelColor(0, 10), kBackground) << "border margin";

    // The colour darkens steadily towards the end of the filled part.
    for (int x = 2; x <= last_filled; ++x)
        EXPECT_LE(shot.pixelColor(x, 10).red(), shot.pixelColor(x - 1, 10).red()) << x;
}

TEST(GradientProgress, captionIsWhiteOverTheBarAndBlackBeyondIt)
{
    CGradientProgress bar;
    Configure(bar);
    bar.SetCaption(QStringLiteral("Converting the files now, please wait"), false);
    for (const int percent : {0, 30, 100}) {
        bar.setValue(percent);
        const QImage shot = Grab(&bar);
        const int end = 1 + bar.FilledLength(); // first column past the bar
        const QRect over(0, 0, end, kSize.height());
        const QRect beyond(end, 0, kSize.width() - end, kSize.height());
        EXPECT_EQ(CountColor(shot, Qt::black, over), 0) << percent;
        EXPECT_EQ(CountColor(shot, Qt::white, beyond), 0) << percent;
        if (percent > 0) {
            EXPECT_GT(CountColor(shot, Qt::white, over), 20) << percent;
        }
        if (percent < 100) {
            EXPECT_GT(CountColor(shot, Qt::black, beyond), 20) << percent;
        }
    }
}

TEST(GradientProgress, anEmptyRangeDrawsAnEmptyBar)
{
    CGradientProgress bar;
    Configure(bar);
    bar.SetCaption(QStringLiteral("Please Add File(s)"), false);
    bar.setRange(0, 0);
    bar.setValue(0);
    EXPECT_EQ(bar.FilledLength(), 0);
    const QImage shot = Grab(&bar);
    const int caption = CountColor(shot, Qt::black, shot.rect());
    EXPECT_GT(caption, 0) << "the caption is still shown, all of it in the background text colour";
    EXPECT_EQ(CountColor(shot, kBackground, shot.rect()) + caption, kSize.width() * kSize.height());
}

TEST(GradientProgress, aPositionOutsideTheRangeShowsOnlyTheBackground)
{
    CGradientProgress bar;
    Configure(bar);
    bar.SetCaption(QStringLiteral("Please Add File(s)"), false);
    bar.setRange(10, 20);
    bar.reset(); // below the lower bound
    const QImage shot = Grab(&bar);
    EXPECT_EQ(CountColor(shot, kBackground, shot.rect()), kSize.width() * kSize.height());
}

TEST(GradientProgress, barsGrowFromTheirStartEdge)
{
    CGradientProgress from_right;
    Configure(from_right);
    from_right.SetStyleBits(from_right.StyleBits() | CGradientProgress::FromFarEdge);
    from_right.setValue(25);
    QImage shot = Grab(&from_right);
    EXPECT_TRUE(Near(shot.pixelColor(kBarWidth, 10), kFrom, 1));
    EXPECT_EQ(shot.pixelColor(1, 10), kBackground);

    CGradientProgress upwards;
    Configure(upwards);
    upwards.resize(20, 300);
    upwards.SetStyleBits(CGradientProgress::Vertical);
    upwards.setValue(25);
    shot = Grab(&upwards);
    EXPECT_TRUE(Near(shot.pixelColor(10, kBarWidth), kFrom, 1));
    EXPECT_EQ(shot.pixelColor(10, 1), kBackground);

    CGradientProgress downwards;
    Configure(downwards);
    downwards.resize(20, 300);
    downwards.SetStyleBits(CGradientProgress::Vertical | CGradientProgress::FromFarEdge);
    downwards.setValue(25);
    shot = Grab(&downwards);
    EXPECT_TRUE(Near(shot.pixelColor(10, 1), kFrom, 1));
    EXPECT_EQ(shot.pixelColor(10, kBarWidth), kBackground);
}

TEST(GradientProgress, aSingleColourFillsTheBar)
{
    CGradientProgress bar;
    Configure(bar);
    bar.SetGradientColors({QColor(200, 30, 30)});
    bar.setValue(50);
    const QImage shot = Grab(&bar);
    EXPECT_EQ(shot.pixelColor(1, 10), QColor(200, 30, 30));
    EXPECT_EQ(shot.pixelColor(kBarWidth / 2, 10), QColor(200, 30, 30));
    EXPECT_EQ(shot.pixelColor(kBarWidth / 2 + 1, 10), kBackground);
}

TEST(GradientProgress, threeColoursSplitTheBarInTwoSegments)
{
    CGradientProgress bar;
    Configure(bar);
    const QColor middle(255, 255, 0);
    bar.SetGradientColors({kFrom, middle, kTo});
    bar.setValue(100);
    const QImage shot = Grab(&bar);
    EXPECT_TRUE(Near(shot.pixelColor(1 + kBarWidth / 2, 10), middle, 3));
    EXPECT_TRUE(Near(shot.pixelColor(kBarWidth, 10), kTo, 3));
}

TEST(GradientProgress, captionModeNeedsTextAndBits)
{
    CGradientProgress bar;
    bar.SetCaptionMode(QStringLiteral("Done"), CGradientProgress::CaptionShown);
    EXPECT_EQ(bar.StyleBits() & CGradientProgress::kCaptionBits,
              quint32(CGradientProgress::CaptionShown));
    EXPECT_EQ(bar.CaptionModeText(), QStringLiteral("Done"));

    bar.SetCaptionMode(QString(), CGradientProgress::kCaptionBits);
    EXPECT_EQ(bar.StyleBits() & CGradientProgress::kCaptionBits, 0u);
    EXPECT_TRUE(bar.CaptionModeText().isEmpty());

    bar.SetCaptionMode(QStringLiteral("Done"), 0);
    EXPECT_EQ(bar.StyleBits() & CGradientProgress::kCaptionBits, 0u);
    EXPECT_TRUE(bar.CaptionModeText().isEmpty());
}

TEST(GradientProgress, aSecondBarColourOfNoneRepeatsTheFirst)
{
    CGradientProgress bar;
    bar.SetBarColor(kFrom);
    EXPECT_EQ(bar.GradientColors(), (QList<QColor>{kFrom, kFrom}));
}

} // namespace
} // namespace quillet
