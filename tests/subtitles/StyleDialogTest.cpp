// SPDX-License-Identifier: GPL-3.0-or-later
// The style dialog on its own: its controls show and make the style, and the preview, drawn by
// the engine's burn-in, follows every change.

#include "StyleDialog.h"

#include "ImageCompare.h"
#include "ModalDriver.h"
#include "PreviewRenderer.h"
#include "SampleFrame.h"

#include "CColorButton.h"
#include "CSkinButton.h"
#include "texts/Texts.h"

#include "TempDir.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

using namespace subtitles;
using quillet::test::Child;
using quillet::test::TempDir;
using quillet::test::WhenModal;
using subtitles_test::Compare;

namespace {

struct DialogFixture
{
    TempDir dir;
    quillet::BuiltInTexts texts;
    StyleFile file{dir.path() / "style.ini"};
    StyleSettings defaults = DefaultStyle("DejaVu Sans");
    StyleDialog dialog{texts, file, defaults, defaults};

    /// The sample frame as the preview shows it with no text on it: drawn through the same
    /// filters (the 4:2:0 picture softens its colour edges) at a time no subtitle shows.
    QImage Frame() const
    {
        const auto srt = quillet::test::WriteFile(dir.path() / "early.srt",
                                                  "1\n00:00:00,000 --> 00:00:00,100\nx\n");
        PreviewRenderer renderer(srt.string());
        return renderer.Render(PaintSampleFrame(StyleDialog::kPreviewSize), 1.0, "");
    }
};

void ClickCentre(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

} // namespace

TEST(StyleDialog, previewShowsTheSampleTextAndFollowsSizeAndColour)
{
    DialogFixture f;
    f.dialog.show();
    const QImage standard = f.dialog.PreviewImage();
    const QImage frame = f.Frame();
    ASSERT_EQ(standard.size(), StyleDialog::kPreviewSize) << f.dialog.PreviewError().toStdString();
    const auto plain = Compare(standard, frame);
    // White letters with a black outline, in the lower part of the frame.
    EXPECT_GT(plain.changed, 300);
    EXPECT_GT(plain.white, 100);
    EXPECT_EQ(plain.yellow, 0);
    EXPECT_GT(plain.bounds.top(), StyleDialog::kPreviewSize.height() / 2);

    Child<QSpinBox>(&f.dialog, "fontSize")->setValue(2 * f.defaults.font_size);
    const auto bigger = Compare(f.dialog.PreviewImage(), frame);
    EXPECT_GT(bigger.changed, plain.changed * 2);
    EXPECT_GT(bigger.bounds.width(), plain.bounds.width() * 3 / 2);

    auto *primary = Child<QWidget>(&f.dialog, "primaryColour");
    WhenModal<QColorDialog>([](QColorDialog *colours) {
        colours->setCurrentColor(Qt::yellow);
        QMetaObject::invokeMethod(colours, "accept");
    });
    ClickCentre(Child<quillet::CColorButton>(primary, "button"));
    const auto yellow = Compare(f.dialog.PreviewImage(), frame);
    EXPECT_GT(yellow.yellow, 200);
    EXPECT_LT(yellow.white, 20);
    EXPECT_EQ(f.dialog.Settings().primary, 0xFFFFFF00u);
    EXPECT_EQ(f.dialog.Settings().font_size, 32);
}

TEST(StyleDialog, positionMovesTheTextAndOpacityFadesIt)
{
    DialogFixture f;
    f.dialog.show();
    const QImage frame = f.Frame();
    const auto bottom = Compare(f.dialog.PreviewImage(), frame);
    EXPECT_GT(bottom.bounds.top(), StyleDialog::kPreviewSize.height() / 2);
    ClickCentre(Child<QRadioButton>(&f.dialog, "alignment8"));
    const auto top = Compare(f.dialog.PreviewImage(), frame);
    EXPECT_GT(top.changed, 300);
    EXPECT_LT(top.bounds.bottom(), StyleDialog::kPreviewSize.height() / 2);
    EXPECT_EQ(f.dialog.Settings().alignment, 8);
    ClickCentre(Child<QRadioButton>(&f.dialog, "alignment6"));
    const auto right = Compare(f.dialog.PreviewImage(), frame);
    EXPECT_GT(right.bounds.left(), StyleDialog::kPreviewSize.width() / 2);
    EXPECT_GT(right.bounds.bottom(), StyleDialog::kPreviewSize.height() / 3);
    EXPECT_LT(right.bounds.top(), StyleDialog::kPreviewSize.height() * 2 / 3);

    // Letters, outline and shadow all transparent: nothing is drawn.
    for (const char *name : {"primaryColour", "outlineColour", "shadowColour"})
        Child<QSpinBox>(Child<QWidget>(&f.dialog, name), "opacity")->setValue(0);
    EXPECT_EQ(Compare(f.dialog.PreviewImage(), frame, 8).changed, 0);
    EXPECT_EQ(f.dialog.Settings().primary >> 24, 0u);
}

TEST(StyleDialog, showsTheStyleItStartsFromAndDefaultGoesBackToTheStandardOne)
{
    TempDir dir;
    quillet::BuiltInTexts texts;
    const StyleFile file(dir.path() / "style.ini");
    StyleSettings saved = DefaultStyle("DejaVu Serif");
    saved.font_size = 40;
    saved.bold = true;
    saved.outline = 0xFF0000FF;
    saved.outline_width = 3;
    saved.margin_vertical = 50;
    const StyleSettings defaults = DefaultStyle("DejaVu Sans");
    StyleDialog dialog(texts, file, defaults, saved);
    EXPECT_EQ(Child<QSpinBox>(&dialog, "fontSize")->value(), 40);
    EXPECT_TRUE(Child<QCheckBox>(&dialog, "bold")->isChecked());
    EXPECT_EQ(Child<QDoubleSpinBox>(&dialog, "outlineWidth")->value(), 3.0);
    EXPECT_EQ(dialog.Settings(), saved);

    dialog.show();
    ClickCentre(Child<quillet::CSkinButton>(&dialog, "default"));
    EXPECT_EQ(dialog.Settings(), defaults);
    EXPECT_EQ(dialog.windowTitle(), "Subtitle style");
}
