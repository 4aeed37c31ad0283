// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>

using namespace quillet::platform;

TEST(NumberText, readsLikeStrtodInTheCLocale)
{
    EXPECT_DOUBLE_EQ(ParseLeadingDouble("  +1.5e3x"), 1500.0);
    EXPECT_DOUBLE_EQ(ParseLeadingDouble("-0.25"), -0.25);
    EXPECT_DOUBLE_EQ(ParseLeadingDouble(".5"), 0.5);
    EXPECT_DOUBLE_EQ(ParseLeadingDouble("29.970000"), 29.97);
    EXPECT_DOUBLE_EQ(ParseLeadingDouble("1,5"), 1.0);
    EXPECT_DOUBLE_EQ(ParseLeadingDouble("abc"), 0.0);
    EXPECT_DOUBLE_EQ(ParseLeadingDouble(""), 0.0);
    EXPECT_DOUBLE_EQ(ParseLeadingDouble("-"), 0.0);
}

TEST(NumberText, writesAPointWhateverTheLocale)
{
    EXPECT_EQ(FormatFixed(128, 6), "128.000000");
    EXPECT_EQ(FormatFixed(29.97f, 3), "29.970");
    EXPECT_EQ(FormatFixed(-0.5, 1), "-0.5");
    // Where a comma locale is installed, the text must not follow it.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
        EXPECT_EQ(FormatFixed(128.25, 6), "128.250000");
        EXPECT_DOUBLE_EQ(ParseLeadingDouble("128.25"), 128.25);
        std::setlocale(LC_NUMERIC, "C");
    }
}
