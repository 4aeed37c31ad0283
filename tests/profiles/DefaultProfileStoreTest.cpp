// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/DefaultProfileStore.h"

#include "TempDir.h"

#include <gtest/gtest.h>

using namespace quillet;
using quillet::test::ReadFile;
using quillet::test::TempDir;
using quillet::test::WriteFile;

TEST(DefaultProfileStore, remembersThePickAndTheSavedAsNames)
{
    TempDir ini;
    DefaultProfileStore store(ini.path().string() + "/");
    DefaultProfileSetting none = store.Read();
    EXPECT_TRUE(none.output_ini_file.empty());
    EXPECT_TRUE(none.output_profile.empty());
    EXPECT_EQ(none.aspect_index, 0);
    EXPECT_FALSE(std::filesystem::exists(store.Path()));

    ASSERT_TRUE(store.Write("ipadh264.ini", "iPad H.264", 1));
    ASSERT_TRUE(store.Write("ipadh264.ini", "iPad H.264", 1));
    EXPECT_EQ(ReadFile(store.Path()),
              "[OUTPUT_DEFAULT]\noutputinifile=ipadh264.ini\n"
              "outputprofile=iPad H.264\noutputcalcaspect=1\n");

    ASSERT_TRUE(store.WriteSavedAsName("ipadh264.ini", "Living room"));
    DefaultProfileSetting read = store.Read();
    EXPECT_EQ(read.output_ini_file.view(), "ipadh264.ini");
    EXPECT_EQ(read.output_profile.view(), "iPad H.264");
    EXPECT_EQ(read.aspect_index, 1);
    EXPECT_NE(ReadFile(store.Path()).find("[default]\nipadh264.ini=Living room\n"),
              std::string::npos);
}

TEST(DefaultProfileStore, honoursHandEditedValuesAndCutsLongOnes)
{
    TempDir ini;
    WriteFile(ini.path() / "kreldef.ini",
              "[output_default]\r\nOUTPUTINIFILE=" + std::string(300, 'f')
                  + "\r\noutputcalcaspect=7 (pal)\r\n");
    DefaultProfileStore store(ini.path().string() + "/");
    DefaultProfileSetting read = store.Read();
    EXPECT_EQ(read.aspect_index, 7);
    EXPECT_EQ(read.output_ini_file.size(), 199u);
}
