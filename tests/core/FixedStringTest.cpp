// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/FixedString.h"

#include <gtest/gtest.h>

using quillet::FixedString;

TEST(FixedString, cutsOnAssignmentAndNeverWritesPast)
{
    struct Guarded
    {
        FixedString<8> field;
        char guard[8];
    } g;
    std::memset(g.guard, 'G', sizeof g.guard);
    g.field = std::string(100, 'x');
    EXPECT_EQ(g.field.view(), "xxxxxxx");
    EXPECT_EQ(std::string(g.guard, 8), "GGGGGGGG");
    static_assert(sizeof(FixedString<8>) == 8);
}

TEST(FixedString, neverCutsACharacterInHalf)
{
    FixedString<6> field;
    field = "ab\xC3\xA9\xC3\xA9"; // "abéé": the second é does not fit whole
    EXPECT_EQ(field.view(), "ab\xC3\xA9");
    field = std::string_view("a\0b", 3);
    EXPECT_EQ(field.view(), "a");
}
