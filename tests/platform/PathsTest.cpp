// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Paths.h"

#include "TempDir.h"

#include <gtest/gtest.h>

using namespace quillet::platform;
using quillet::test::TempDir;

TEST(Paths, splitsNamesAtTheLastSeparatorAndDot)
{
    EXPECT_EQ(FileNameOf("/a/b.c/clip.wmv.avi"), "clip.wmv.avi");
    EXPECT_EQ(FolderOf("/a/b.c/clip.avi"), "/a/b.c");
    EXPECT_EQ(ExtensionOf("clip.wmv.avi"), "avi");
    EXPECT_EQ(ExtensionOf("noext"), "");
    EXPECT_EQ(StemOf("/x/avchd_h264.ini"), "avchd_h264");
    EXPECT_EQ(StemOf("/x.y/readme"), "readme");
}

TEST(Paths, createsEveryMissingLevelUpToTheLastSeparator)
{
    TempDir dir;
    ASSERT_TRUE(CreateFolderLevels(dir.file("one/two/three/")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "one/two/three"));
    ASSERT_TRUE(CreateFolderLevels(dir.file("four/five")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "four"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "four/five"));
}

TEST(Paths, programFolderIsTheFolderOfTheRunningExecutable)
{
    std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(folder + "/platform_tests"));
    EXPECT_EQ(ProgramFolderWithSlash(), folder + "/");
}
