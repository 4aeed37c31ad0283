// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FixedText.h"
#include "platform/Utf8.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace quillet::platform;

TEST(FixedText, fillsACRecordFieldWithoutOverrunOrStaleBytes)
{
    struct Record
    {
        char field[8];
        char guard[4];
    } record;
    std::memset(&record, 'G', sizeof record);
    AssignFixedText(record.field, "ab");
    EXPECT_STREQ(record.field, "ab");
    EXPECT_EQ(std::string(record.field + 3, 5), std::string(5, '\0'));
    AssignFixedText(record.field, std::string(20, 'x'));
    EXPECT_EQ(std::string(record.field), std::string(7, 'x'));
    EXPECT_EQ(std::string(record.guard, 4), "GGGG");
    // "abcdefé" cut to seven bytes would end inside the é; text after a NUL is dropped.
    AssignFixedText(record.field, "abcdef\xC3\xA9");
    EXPECT_STREQ(record.field, "abcdef");
    AssignFixedText(record.field, std::string_view("a\0b", 3));
    EXPECT_EQ(std::string(record.field, 3), std::string("a\0\0", 3));
}

TEST(Utf8, acceptsWholeSequencesOnly)
{
    EXPECT_TRUE(IsValidUtf8("plain, caf\xC3\xA9, \xE2\x82\xAC, \xF0\x9F\x8E\xAC"));
    EXPECT_FALSE(IsValidUtf8("caf\xE9")); // Windows-1252
    EXPECT_FALSE(IsValidUtf8("cut \xE2\x82")); // a sequence that ends early
    EXPECT_FALSE(IsValidUtf8("\x80 lone continuation"));
}
