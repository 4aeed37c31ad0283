// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/ProfileCatalogue.h"
#include "profiles/DeviceGroupTable.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <map>

using namespace quillet;
using quillet::test::TempDir;
using quillet::test::WriteFile;

namespace {

// The two groups after the device groups of the table.
constexpr int kOtherGroup = 9;
constexpr int kAllGroup = 10;

std::vector<std::string> Sections(const std::vector<const ProfileItem *> &items)
{
    std::vector<std::string> out;
    out.reserve(items.size());
    for (const auto *item : items)
        out.push_back(item->ini_file + ":" + item->section);
    return out;
}

} // namespace

TEST(ProfileCatalogue, hasItsGroupsInTableOrder)
{
    ProfileCatalogue catalogue;
    std::vector<std::string> names;
    std::vector<int> icons;
    for (const auto &g : catalogue.Groups()) {
        names.push_back(g.name);
        icons.push_back(g.icon);
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"iPad", "iPhone", "iPod", "Apple TV", "Common Video",
                                        "Common Audio", "Android and TV", "Web and Sharing",
                                        "Archive", "Other Profiles", "All Profiles"}));
    EXPECT_EQ(icons, (std::vector<int>{4, 11, 12, 10, 3, 2, 3, 3, 3, 1, 0}));
    EXPECT_EQ(DeviceGroupTable().size(), 29u);
}

TEST(ProfileCatalogue, scanFilesProfilesIntoTheirGroups)
{
    TempDir ini;
    WriteFile(ini.path() / "ipadh264.ini", "[iPad H.264]\n[iPad H.264 HQ]\n");
    WriteFile(ini.path() / "mp3c.ini", "[MP3 Audio]\n");
    WriteFile(ini.path() / "mine.ini", "[My Profile]\n");
    WriteFile(ini.path() / "IPADH264.INI", "[Shouting]\n");
    WriteFile(ini.path() / "kreldef.ini", "[OUTPUT_DEFAULT]\noutputinifile=mp3c.ini\n");
    WriteFile(ini.path() / "KRELDEF.INI", "[Upper Default]\n");
    WriteFile(ini.path() / "notes.txt", "[Not A Profile]\n");

    ProfileCatalogue catalogue;
    catalogue.Scan(ini.path().string() + "/");
    EXPECT_TRUE(catalogue.Finished());

    EXPECT_EQ(Sections(catalogue.ItemsShownFor(0)),
              (std::vector<std::string>{"ipadh264.ini:iPad H.264", "ipadh264.ini:iPad H.264 HQ"}));
    EXPECT_EQ(Sections(catalogue.ItemsShownFor(5)),
              (std::vector<std::string>{"mp3c.ini:MP3 Audio"}));
    EXPECT_EQ(catalogue.ItemsShownFor(5)[0]->icon, 9);
    EXPECT_EQ(catalogue.ItemsShownFor(0)[0]->icon, 4);

    auto others = Sections(catalogue.ItemsShownFor(kOtherGroup));
    std::sort(others.begin(), others.end());
    EXPECT_EQ(others,
              (std::vector<std::string>{"IPADH264.INI:Shouting", "KRELDEF.INI:Upper Default",
                                        "mine.ini:My Profile"}));
    for (const auto *item : catalogue.ItemsShownFor(kOtherGroup))
        EXPECT_EQ(item->icon, 0);

    // "All Profiles" shows every group's items, group after group.
    auto all = catalogue.ItemsShownFor(kAllGroup);
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[0]->section, "iPad H.264");
    EXPECT_EQ(all[2]->section, "MP3 Audio");
    EXPECT_TRUE(catalogue.Groups()[kAllGroup].items.empty());
}

TEST(ProfileCatalogue, selectionMarksTheLastItemOfThatName)
{
    ProfileCatalogue catalogue;
    catalogue.AddProfile("ipadh264.ini", "Same");
    catalogue.AddProfile("ipadhd.ini", "Other");
    catalogue.AddProfile("ipadmp4.ini", "Same");
    catalogue.SelectProfile("ipadh264.ini", "Same");
    EXPECT_EQ(catalogue.CommittedGroup(), 0);
    EXPECT_EQ(catalogue.CommittedItem(), 2);
    std::string file, section;
    ASSERT_TRUE(catalogue.GetSelectedProfile(file, section));
    EXPECT_EQ(file, "ipadmp4.ini");

    // An uncatalogued profile leaves the group shown and no item committed.
    catalogue.SelectProfile("ipadh264.ini", "Missing");
    EXPECT_EQ(catalogue.CommittedGroup(), 0);
    EXPECT_EQ(catalogue.CommittedItem(), -1);
    EXPECT_FALSE(catalogue.GetSelectedProfile(file, section));
    EXPECT_EQ(catalogue.CommittedProfile(), nullptr);
}

TEST(ProfileCatalogue, commitsOnlyItemsThatExist)
{
    ProfileCatalogue catalogue;
    catalogue.AddProfile("m4ac.ini", "AAC");
    catalogue.AddProfile("wavc.ini", "WAV");
    EXPECT_FALSE(catalogue.Commit(1, 0)); // iPhone has no items
    EXPECT_EQ(catalogue.CommittedGroup(), -1);
    ASSERT_TRUE(catalogue.Commit(kAllGroup, 1)); // from "All Profiles"
    EXPECT_EQ(catalogue.CommittedGroup(), kAllGroup);
    EXPECT_EQ(catalogue.CommittedProfile()->section, "WAV");
    EXPECT_FALSE(catalogue.Commit(kAllGroup, 2));
    EXPECT_EQ(catalogue.CommittedItem(), 1);
}

TEST(ProfileCatalogue, anEmptyOrMissingFolderGivesEmptyGroups)
{
    ProfileCatalogue catalogue;
    catalogue.Scan("/nonexistent/ini/");
    EXPECT_EQ(catalogue.GroupCount(), 11);
    EXPECT_TRUE(catalogue.ItemsShownFor(kAllGroup).empty());
}
