// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/CutRule.h"

#include <gtest/gtest.h>

using namespace quillet;
using namespace quillet::sizing;

TEST(CutRule, tellsAnOutputStoppedAtItsLimitFromAWholeOne)
{
    struct Case
    {
        const char *name;
        OutputFacts facts;
        bool cut;
    };
    const Case cases[] = {
        {"12 s clip stopped at 1 MB", {12.0, 1.99, 1010000, 1000, 25}, true},
        {"stopped a second before the end", {120.0, 119.0, 1020000, 1000, 25}, true},
        {"whole, near its limit", {12.0, 11.96, 1020000, 1000, 25}, false},
        {"whole, ends a picture early at 1 fps", {12.0, 10.5, 1020000, 1000, 1}, false},
        {"whole, sound ends 0.3 s early", {12.0, 11.7, 1020000, 1000, 0}, false},
        {"short, but far below its limit (a guessed source length)",
         {12.0, 6.0, 300000, 1000, 25},
         false},
        {"short without any limit", {12.0, 2.0, 1010000, 0, 25}, false},
        {"a two-hour film missing its last minute",
         {7200.0, 7140.0, 4300000000, 4200000, 25},
         true},
        {"a two-hour film 20 s short of its stated length",
         {7200.0, 7180.0, 4300000000, 4200000, 25},
         false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsCut(c.facts), c.cut) << c.name;
}

TEST(CutRule, keepsACutOutputUnderANameThatSaysSo)
{
    struct Case
    {
        const char *final_path;
        unsigned n;
        const char *cut_path;
    };
    const Case cases[] = {
        {"/out/clip.avi", 0, "/out/clip (cut).avi"},
        {"/out/clip (2).avi", 0, "/out/clip (2) (cut).avi"},
        {"/out/clip.avi", 1, "/out/clip (cut) (1).avi"},
        {"/out/my.films/clip", 0, "/out/my.films/clip (cut)"},
        {"/out/.hidden", 0, "/out/.hidden (cut)"},
        {"/out/a.b.c.mp4", 0, "/out/a.b.c (cut).mp4"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CutOutputPath(c.final_path, c.n), c.cut_path);
}

TEST(CutRule, saysWhereAndHowMuchWasKept)
{
    const BuiltInTexts texts;
    EXPECT_EQ(CutText(texts, {12.0, 1.99, 1010000, 1000, 25}), "cut at 1.0 MB: 2.0 s of 12.0 s");
}
