// SPDX-License-Identifier: GPL-3.0-or-later
#include "CSkinTabCtrl.h"
#include "ColorRef.h"
#include "SystemColors.h"
#include "WidgetProbe.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using test::CountColor;
using test::Grab;
using test::Near;

// The option sheet's tab settings.
constexpr quint32 kSheetFlags = 15;
const QColor kSheetBackground = ColorFromRef(0xDAB3A6);

class SkinTabCtrlTest : public ::testing::Test
{
protected:
    // The flags are process-wide; every test starts and ends without them.
    void SetUp() override { CSkinTabCtrl::SetTabStyleFlags(false, 0); }
    void TearDown() override { CSkinTabCtrl::SetTabStyleFlags(false, 0); }
};

TEST_F(SkinTabCtrlTest, optionSheetColoursAreDrawn)
{
    CSkinTabCtrl::SetTabStyleFlags(true, kSheetFlags);
    CSkinTabCtrl tabs;
    ASSERT_TRUE(tabs.IsOwnerDrawn());
    tabs.SetBackgroundColor(kSheetBackground);
    tabs.setFont(test::CrispFont());
    tabs.addTab(QStringLiteral("Audio"));
    tabs.addTab(QStringLiteral("Video"));
    tabs.addTab(QStringLiteral("Resize"));
    tabs.setCurrentIndex(1);
    tabs.resize(tabs.sizeHint());
    const QImage shot = Grab(&tabs);

    const QRect selected = tabs.tabRect(1);
    const QRect unselected = tabs.tabRect(0);
    // Top bands: the face colours exactly.
    EXPECT_EQ(shot.pixelColor(selected.left() + 2, selected.top()), ColorFromRef(0xFFFAE8));
    EXPECT_EQ(shot.pixelColor(unselected.left() + 2, unselected.top() + 2), ColorFromRef(0xDAB3A6));
    // Bottom: the selected tab fades to the button face, the others to 70 % of the background.
    EXPECT_TRUE(Near(shot.pixelColor(selected.left() + 2, selected.bottom() - 1),
                     system_color::ButtonFace(tabs.palette()), 12));
    EXPECT_TRUE(Near(shot.pixelColor(unselected.left() + 2, unselected.bottom()),
                     CSkinTabCtrl::ScaleColor(kSheetBackground, 0.7), 12));

    const QColor unselected_text = ColorFromRef(0x6D5953);
    EXPECT_GT(CountColor(shot, unselected_text, unselected), 10);
    EXPECT_GT(CountColor(shot, unselected_text, tabs.tabRect(2)), 10);
    EXPECT_EQ(CountColor(shot, unselected_text, selected), 0);
    EXPECT_GT(CountColor(shot, system_color::WindowText(tabs.palette()), selected), 10);
}

TEST_F(SkinTabCtrlTest, aLongTabTextEndsInAnEllipsis)
{
    CSkinTabCtrl::SetTabStyleFlags(true, kSheetFlags);
    CSkinTabCtrl tabs;
    tabs.setUsesScrollButtons(false);
    tabs.setExpanding(false);
    tabs.addTab(QStringLiteral("General"));
    const QString long_text = QStringLiteral("A tab caption far too long to fit into its tab");
    tabs.addTab(long_text);
    tabs.resize(160, tabs.sizeHint().height());
    tabs.show();

    const QString shown = tabs.DisplayedText(1);
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(long_text.startsWith(shown.chopped(1)));
    EXPECT_LE(tabs.fontMetrics().horizontalAdvance(shown), tabs.tabRect(1).width() - 6);
}

TEST_F(SkinTabCtrlTest, stripsCreatedWithoutFlagsKeepTheStandardLook)
{
    CSkinTabCtrl standard;
    CSkinTabCtrl::SetTabStyleFlags(true, kSheetFlags);
    EXPECT_FALSE(standard.IsOwnerDrawn());
    CSkinTabCtrl::SetTabStyleFlags(false, kSheetFlags);
    EXPECT_EQ(CSkinTabCtrl::TabStyleFlags(), 0u) << "disabling clears the flags";
}

TEST_F(SkinTabCtrlTest, shadesFollowTheFlags)
{
    const QColor face(200, 100, 50);
    CSkinTabCtrl::SetTabStyleFlags(true, CSkinTabCtrl::DeriveFromBackground);
    CSkinTabCtrl tabs;
    tabs.SetBackgroundColor(face);
    // Without "lighten", the selected tab keeps the button face; unselected tabs are darkened.
    EXPECT_EQ(tabs.FaceColor(true), system_color::ButtonFace(tabs.palette()));
    EXPECT_EQ(tabs.FaceColor(false), QColor(180, 90, 45));
    EXPECT_EQ(tabs.TextColor(false), QColor(100, 50, 25));

    CSkinTabCtrl::SetTabStyleFlags(
        true,
        CSkinTabCtrl::UnselectedUseBackground | CSkinTabCtrl::DarkenUnselected
            | CSkinTabCtrl::DeriveFromBackground | CSkinTabCtrl::LightenSelected);
    EXPECT_EQ(tabs.FaceColor(false), QColor(180, 90, 45)) << "0x10 darkens despite 0x01";
    EXPECT_EQ(tabs.FaceColor(true), QColor(255, 140, 70)) << "lightened and clamped";
}

} // namespace
} // namespace quillet
