// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc/SplitList.h"
#include "disc/WaitWindowModel.h"

#include <gtest/gtest.h>

using namespace quillet;
using Entries = std::vector<std::string>;

TEST(SplitList, entriesFollowTheProfileFile)
{
    SplitList list;
    list.Fill("avchd_h264.ini");
    EXPECT_EQ(list.Entries(),
              (Entries{"DVD-5 (4.7GB)", "DVD-9 (8.5GB)", "BD-25 (25GB)", "BD-50 (50GB)"}));
    EXPECT_EQ(list.SelectedText(), "DVD-5 (4.7GB)");

    list.Fill("blu-ray_mpeg2.ini");
    EXPECT_EQ(list.Entries(),
              (Entries{"BD-25 (25GB)", "BD-50 (50GB)", "DVD-5 (4.7GB)", "DVD-9 (8.5GB)"}));
    EXPECT_EQ(list.SelectedText(), "BD-25 (25GB)");

    list.Fill("paldvd.ini");
    EXPECT_EQ(list.Entries(), (Entries{"DVD-5 (4.7GB)", "DVD-9 (8.5GB)"}));
    EXPECT_FALSE(list.Select("No split"));
    EXPECT_EQ(list.SelectedText(), "DVD-5 (4.7GB)");

    // The comparison is exact: a capital letter makes it an ordinary profile.
    for (const char *other : {"Blu-ray_h264.ini", "hd_divxavi.ini", "hd_wmv.ini", ""}) {
        list.Fill(other);
        EXPECT_EQ(list.Entries().size(), 6u) << other;
        EXPECT_EQ(list.SelectedText(), "No split") << other;
    }
    EXPECT_TRUE(list.Select("Custom"));
    EXPECT_EQ(list.Selected(), 4);
}

TEST(SplitList, customSizeStaysInItsRange)
{
    SplitList list;
    EXPECT_EQ(list.CustomSizeMb(), 4000);
    EXPECT_FALSE(list.SetCustomSizeMb(0));
    EXPECT_TRUE(list.SetCustomSizeMb(1));
    EXPECT_TRUE(list.SetCustomSizeMb(100000));
    EXPECT_FALSE(list.SetCustomSizeMb(100001));
    EXPECT_FALSE(list.SetCustomSizeMb(-1));
    EXPECT_EQ(list.CustomSizeMb(), 100000);
}

TEST(WaitWindowModel, repeatsChangeOnlyTheMessage)
{
    WaitWindowModel wait;
    auto first = wait.Update(42, "Extracting movie.mkv");
    EXPECT_TRUE(first.percent && first.message);
    EXPECT_EQ(wait.PercentText(), "42 %");
    EXPECT_EQ(wait.Position(), 42);
    auto again = wait.Update(42, "Still extracting");
    EXPECT_FALSE(again.percent);
    EXPECT_TRUE(again.message);
    EXPECT_EQ(wait.PercentText(), "42 %");
    EXPECT_EQ(wait.Message(), "Still extracting");
    wait.Update(250, "");
    EXPECT_EQ(wait.Position(), 100);
}
