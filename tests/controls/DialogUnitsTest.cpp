// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogUnits.h"

#include <QFontDatabase>
#include <QFontInfo>

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(DialogUnits, theDialogFontIsVerdanaOrItsSubstituteAtEightPoints)
{
    const QFont font = DialogFont();
    EXPECT_EQ(font.pointSize(), 8);
    const QString expected = QFontDatabase::hasFamily(QStringLiteral("Verdana"))
        ? QStringLiteral("Verdana")
        : QStringLiteral("DejaVu Sans");
    EXPECT_EQ(QFontInfo(font).family(), expected);
}

TEST(DialogUnits, unitsScaleWithTheFontAndRoundToTheNearestPixel)
{
    // DejaVu Sans 8 pt at 96 dpi: letters average 6.8 px (base 7), lines are 13 px high.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(8);
    const DialogUnits units(font);
    ASSERT_EQ(units.BaseX(), 7);
    ASSERT_EQ(units.BaseY(), 13);
    EXPECT_EQ(units.X(4), 7);
    EXPECT_EQ(units.Y(8), 13);
    EXPECT_EQ(units.X(1), 2); // 1.75
    EXPECT_EQ(units.X(2), 4); // 3.5 rounds up
    EXPECT_EQ(units.Y(3), 5); // 4.875
    EXPECT_EQ(units.X(-2), -4);
    // The main window's banner control and the whole window.
    EXPECT_EQ(units.Rect(7, 4, 235, 31), QRect(12, 7, 411, 50));
    EXPECT_EQ(units.Rect(QRect(0, 0, 379, 300)).size(), QSize(663, 488));

    // A bigger font gives bigger units.
    font.setPointSize(16);
    const DialogUnits large(font);
    EXPECT_GT(large.X(100), units.X(100));
    EXPECT_GT(large.Y(100), units.Y(100));
}

} // namespace
} // namespace quillet
