// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandTail.h"

#include <gtest/gtest.h>

#include <vector>

using quillet::ferrule::JoinTail;
using quillet::ferrule::RemoveQuoting;

namespace {

std::string Join(const std::vector<const char *> &arguments)
{
    return JoinTail(arguments);
}

} // namespace

TEST(JoinTail, joinsWordsOfAPathTypedWithoutQuotes)
{
    EXPECT_EQ(Join({"ferrule"}), "");
    EXPECT_EQ(Join({"ferrule", "/out/a b.mp4"}), "/out/a b.mp4");
    EXPECT_EQ(Join({"ferrule", "/out/a", "b.mp4"}), "/out/a b.mp4");
}

TEST(RemoveQuoting, takesAQuotedPathWithOrWithoutTheConvertersTrailingSpace)
{
    EXPECT_EQ(RemoveQuoting("\"/out/a b.mp4\" "), "/out/a b.mp4");
    EXPECT_EQ(RemoveQuoting("\"/out/a b.mp4\""), "/out/a b.mp4");
}

TEST(RemoveQuoting, leavesAnUnquotedPathWholeWithItsInnerQuotes)
{
    EXPECT_EQ(RemoveQuoting("/out/a b.mp4"), "/out/a b.mp4");
    EXPECT_EQ(RemoveQuoting("/out/a b.mp4 "), "/out/a b.mp4 ");
    EXPECT_EQ(RemoveQuoting("/out/it's \"live\".mp4"), "/out/it's \"live\".mp4");
    EXPECT_EQ(RemoveQuoting("\"/out/it's \"live\".mp4\" "), "/out/it's \"live\".mp4");
}

TEST(RemoveQuoting, neverCutsPastTheStart)
{
    EXPECT_EQ(RemoveQuoting("\""), "");
    EXPECT_EQ(RemoveQuoting("\"\""), "");
    EXPECT_EQ(RemoveQuoting("\" "), "");
    EXPECT_EQ(RemoveQuoting("\"\"\" "), "");
    EXPECT_EQ(RemoveQuoting("\"\"ab"), "");
}

TEST(RemoveQuoting, cutsOneCharacterPerLeadingQuoteWhateverItIs)
{
    // An opening quote without its closing one costs the path its last character.
    EXPECT_EQ(RemoveQuoting("\"/out/a.mp4"), "/out/a.mp");
    EXPECT_EQ(RemoveQuoting("\"\"/out/a.mp4\"\""), "/out/a.mp4");
    EXPECT_EQ(RemoveQuoting("\"\"/out/a.mp4\"\" "), "/out/a.mp4");
    EXPECT_EQ(RemoveQuoting("\"\"\"/out/a.mp4\" "), "/out/a.mp");
}
