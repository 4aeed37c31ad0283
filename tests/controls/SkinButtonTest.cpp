// SPDX-License-Identifier: GPL-3.0-or-later
#include "CSkinButton.h"
#include "ColorRef.h"
#include "MaskRegion.h"
#include "SkinResources.h"
#include "SystemColors.h"
#include "WidgetProbe.h"

#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

namespace quillet {
namespace {

using test::CountColor;
using test::CrispFont;
using test::Grab;
using test::Near;
using test::SendEnter;
using test::SendMouse;

constexpr QSize kButtonSize{100, 30};
const QPoint kCentre{50, 15};

class PressRecorder : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
};

// The colour face `id` shows at `at` once stretched to the button.
QColor ExpectedFace(int id, const QPoint &at)
{
    const QImage face = SkinResources::Bitmap(id, 1.0).toImage().scaled(
        kButtonSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return face.pixelColor(at);
}

// Points above and below the caption; every two faces differ at some of them.
const QPoint kFaceSamples[] = {{10, 5}, {90, 5}, {10, 24}, {90, 24}};

void ExpectFace(const QImage &shot, int id)
{
    for (const QPoint &at : kFaceSamples) {
        EXPECT_TRUE(Near(shot.pixelColor(at), ExpectedFace(id, at), 4))
            << "face " << id << " at " << at.x() << "," << at.y() << ": got "
            << shot.pixelColor(at).name().toStdString() << ", want "
            << ExpectedFace(id, at).name().toStdString();
    }
}

// Pixels the caption adds to the button in its current state.
QRect CaptionBounds(CSkinButton &button)
{
    const QImage with = Grab(&button);
    const QString text = button.text();
    button.setText(QString());
    const QImage without = Grab(&button);
    button.setText(text);
    return test::DifferenceBounds(with, without);
}

CSkinButton *MakeDialogButton(QWidget *parent, const QString &text)
{
    auto *button = new CSkinButton(text, parent);
    button->resize(kButtonSize);
    button->SetImages(kDialogTextButtonSet);
    button->SetTextColor(ColorFromRef(kDialogButtonTextColorRef));
    return button;
}

TEST(SkinButton, facesAreDistinctWhereTheTestsLook)
{
    // Guards the other tests: if two faces matched at the sample points, a button showing the
    // wrong one would pass.
    const auto differ_somewhere = [](int a, int b) {
        for (const QPoint &at : kFaceSamples) {
            if (!Near(ExpectedFace(a, at), ExpectedFace(b, at), 8))
                return true;
        }
        return false;
    };
    EXPECT_TRUE(differ_somewhere(266, 269));
    EXPECT_TRUE(differ_somewhere(267, 269));
    EXPECT_TRUE(differ_somewhere(266, 267));
}

TEST(SkinButton, cornersOutsideTheMaskBelongToTheDialog)
{
    PressRecorder dialog;
    dialog.resize(220, 120);
    CSkinButton *button = MakeDialogButton(&dialog, QStringLiteral("OK"));
    button->move(40, 30);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    const QRect area = button->geometry();
    for (const QPoint &corner :
         {area.topLeft(), area.topRight(), area.bottomLeft(), area.bottomRight()})
        QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, {}, corner);
    EXPECT_EQ(dialog.presses, 4);
    EXPECT_EQ(clicks, 0);

    QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, {}, area.center());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(dialog.presses, 4);

    // The painted corner is the dialog's own background, not the face.
    const QImage shot = Grab(&dialog);
    EXPECT_EQ(shot.pixelColor(area.topLeft()), dialog.palette().color(QPalette::Window));
}

TEST(SkinButton, hoverPressLeaveAndReturnShowTheirFaces)
{
    QWidget dialog;
    CSkinButton *button = MakeDialogButton(&dialog, QStringLiteral("Convert"));
    button->setFont(CrispFont());
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });

    ExpectFace(Grab(button), 269);

    SendEnter(button, kCentre);
    ASSERT_TRUE(button->IsHovering());
    const QImage hover = Grab(button);
    ExpectFace(hover, 266);
    EXPECT_GT(CountColor(hover, QColor(125, 0, 0), button->rect()), 0)
        << "caption drawn in the dialog button colour";
    const QRect hover_caption = CaptionBounds(*button);
    ASSERT_FALSE(hover_caption.isNull());

    SendMouse(button, QEvent::MouseButtonPress, kCentre, Qt::LeftButton, Qt::LeftButton);
    ExpectFace(Grab(button), 267);
    EXPECT_EQ(CaptionBounds(*button), hover_caption.translated(1, 1));

    SendMouse(button, QEvent::MouseMove, QPoint(160, 15), Qt::NoButton, Qt::LeftButton);
    ExpectFace(Grab(button), 269);
    EXPECT_EQ(CaptionBounds(*button), hover_caption);

    SendMouse(button, QEvent::MouseMove, kCentre, Qt::NoButton, Qt::LeftButton);
    ExpectFace(Grab(button), 267);

    SendMouse(button, QEvent::MouseButtonRelease, kCentre, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks, 1);
}

TEST(SkinButton, releasingOutsideDoesNotClick)
{
    QWidget dialog;
    CSkinButton *button = MakeDialogButton(&dialog, QStringLiteral("Delete"));
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
    SendMouse(button, QEvent::MouseButtonPress, kCentre, Qt::LeftButton, Qt::LeftButton);
    SendMouse(button, QEvent::MouseMove, QPoint(160, 15), Qt::NoButton, Qt::LeftButton);
    SendMouse(button, QEvent::MouseButtonRelease, QPoint(160, 15), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(button->isDown());
}

TEST(SkinButton, disabledFadesTheFaceAndEmbossesAGreyCaption)
{
    QWidget dialog;
    CSkinButton *button = MakeDialogButton(&dialog, QStringLiteral("Subtitle..."));
    button->setFont(CrispFont());
    button->setEnabled(false);

    const QImage with = Grab(button);
    // The face fades into the window, so it can never be taken for a usable button's.
    for (const QPoint &at : kFaceSamples)
        EXPECT_FALSE(Near(with.pixelColor(at), ExpectedFace(269, at), 4))
            << at.x() << "," << at.y();
    button->setText(QString());
    const QImage without = Grab(button);

    const QColor light = system_color::Highlight3D(button->palette());
    const QColor grey = system_color::GrayText(button->palette());
    QRect light_bounds, grey_bounds;
    for (int y = 0; y < with.height(); ++y) {
        for (int x = 0; x < with.width(); ++x) {
            if (with.pixel(x, y) == without.pixel(x, y))
                continue;
            const QColor c = with.pixelColor(x, y);
            if (c == light)
                light_bounds |= QRect(x, y, 1, 1);
            else if (c == grey)
                grey_bounds |= QRect(x, y, 1, 1);
        }
    }
    ASSERT_FALSE(light_bounds.isNull());
    ASSERT_FALSE(grey_bounds.isNull());
    // The grey caption lies one pixel up and left of its light copy, whose right and bottom
    // edges stay visible.
    EXPECT_EQ(light_bounds.right(), grey_bounds.right() + 1);
    EXPECT_EQ(light_bounds.bottom(), grey_bounds.bottom() + 1);
    EXPECT_EQ(CountColor(with, QColor(125, 0, 0), button->rect()), 0);
}

TEST(SkinButton, radioButtonsUncheckTheOthersOfTheirGroupOnly)
{
    QWidget dialog;
    const auto make_radio = [&dialog](int number) {
        auto *radio = new CSkinButton(QString::number(number), &dialog);
        radio->resize(60, 20);
        radio->SetKind(SkinButtonKind::Radio);
        return radio;
    };
    CSkinButton *radios[4];
    radios[0] = make_radio(0);
    radios[1] = make_radio(1);
    // An unmarked widget between buttons does not end their group; only a marked one does.
    new QWidget(&dialog);
    radios[2] = make_radio(2);
    radios[2]->SetGroupStart(true);
    radios[3] = make_radio(3);

    radios[0]->SetCheck(true);
    radios[2]->SetCheck(true);

    QTest::mouseClick(radios[1], Qt::LeftButton, {}, QPoint(30, 10));
    EXPECT_TRUE(radios[1]->GetCheck());
    EXPECT_FALSE(radios[0]->GetCheck());
    EXPECT_TRUE(radios[2]->GetCheck()) << "the other group is untouched";

    QTest::mouseClick(radios[1], Qt::LeftButton, {}, QPoint(30, 10));
    EXPECT_TRUE(radios[1]->GetCheck()) << "clicking a checked radio keeps it checked";

    radios[3]->SetCheck(true);
    EXPECT_FALSE(radios[2]->GetCheck());
    EXPECT_TRUE(radios[1]->GetCheck());
}

TEST(SkinButton, checkBoxesToggleAndPushButtonsNeverCheck)
{
    QWidget dialog;
    auto *box = new CSkinButton(QStringLiteral("Merge"), &dialog);
    box->resize(60, 20);
    box->SetKind(SkinButtonKind::CheckBox);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(30, 10));
    EXPECT_TRUE(box->GetCheck());
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_FALSE(box->GetCheck());

    auto *push = new CSkinButton(QStringLiteral("OK"), &dialog);
    push->resize(60, 20);
    push->SetCheck(true);
    EXPECT_FALSE(push->GetCheck());
    QTest::mouseClick(push, Qt::LeftButton, {}, QPoint(30, 10));
    EXPECT_FALSE(push->GetCheck());
}

TEST(SkinButton, aDoubleClickReportsTwoClicks)
{
    QWidget dialog;
    CSkinButton *button = MakeDialogButton(&dialog, QStringLiteral("Up"));
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
    // The sequence the platform delivers for a double click.
    SendMouse(button, QEvent::MouseButtonPress, kCentre, Qt::LeftButton, Qt::LeftButton);
    SendMouse(button, QEvent::MouseButtonRelease, kCentre, Qt::LeftButton, Qt::NoButton);
    SendMouse(button, QEvent::MouseButtonDblClick, kCentre, Qt::LeftButton, Qt::LeftButton);
    SendMouse(button, QEvent::MouseButtonRelease, kCentre, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks, 2);
}

TEST(SkinButton, naturalModeTakesTheMaskSizeAndShape)
{
    QWidget dialog;
    auto *button = new CSkinButton(&dialog);
    button->setGeometry(10, 10, 40, 37);
    button->SetImages(kSettingsButtonSet);
    EXPECT_EQ(button->geometry(), QRect(10, 10, 32, 32));
    EXPECT_EQ(button->sizeHint(), QSize(32, 32));
    EXPECT_FALSE(button->mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(button->mask().contains(QPoint(31, 31)));
    EXPECT_TRUE(button->mask().contains(QPoint(16, 16)));
    EXPECT_TRUE(button->mask().contains(QPoint(0, 16)));
}

TEST(SkinButton, leadingPictureKeyColourIsTransparent)
{
    QWidget dialog;
    CSkinButton *plain = MakeDialogButton(&dialog, QStringLiteral("New Task"));
    CSkinButton *pictured = MakeDialogButton(&dialog, QStringLiteral("New Task"));
    pictured->SetLeadingPicture(272, ColorFromRef(kLeadingKeyColorRef));
    const QImage shot = Grab(pictured);
    EXPECT_EQ(CountColor(shot, QColor(255, 0, 255), shot.rect()), 0);
    // The picture sits 5 pixels from the left edge, centred vertically.
    const QRect picture(5, (kButtonSize.height() - 16) / 2, 16, 16);
    EXPECT_TRUE(test::DifferenceBounds(shot.copy(picture), Grab(plain).copy(picture)).isValid());
    // Pixels of the picture's key area show the face.
    const QImage raw = SkinResources::Bitmap(272, 1.0).toImage();
    ASSERT_EQ(raw.pixelColor(0, 15), QColor(255, 0, 255));
    EXPECT_EQ(shot.pixelColor(picture.topLeft() + QPoint(0, 15)),
              Grab(plain).pixelColor(picture.topLeft() + QPoint(0, 15)));
}

TEST(SkinButton, missingPicturesLeaveAPlainRectangularFace)
{
    QWidget dialog;
    auto *button = new CSkinButton(QStringLiteral("OK"), &dialog);
    button->resize(kButtonSize);
    button->SetImages(9001, 9002, 9003, 0, 0, 9004);
    EXPECT_TRUE(button->mask().isEmpty());
    const QImage shot = Grab(button);
    EXPECT_EQ(shot.pixelColor(0, 0), system_color::ButtonFace(button->palette()));
    EXPECT_EQ(shot.pixelColor(kFaceSamples[0]), system_color::ButtonFace(button->palette()));
}

TEST(MaskRegion, everyNonWhitePixelBelongsToTheShape)
{
    QImage mask(6, 3, QImage::Format_RGB32);
    mask.fill(Qt::white);
    mask.setPixelColor(1, 0, Qt::black);
    mask.setPixelColor(2, 0, Qt::black);
    mask.setPixelColor(4, 0, Qt::black);
    mask.setPixelColor(0, 1, QColor(254, 255, 255)); // a smoothed edge still counts
    mask.setPixelColor(5, 1, QColor(128, 128, 128));
    const QRegion region = RegionFromMask(mask);
    for (int y = 0; y < mask.height(); ++y) {
        for (int x = 0; x < mask.width(); ++x) {
            const bool white = (mask.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
            EXPECT_EQ(region.contains(QPoint(x, y)), !white) << x << "," << y;
        }
    }
}

} // namespace
} // namespace quillet
