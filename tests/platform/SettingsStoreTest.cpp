// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SettingsStore.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace quillet::platform;
using quillet::test::ReadFile;
using quillet::test::TempDir;
using quillet::test::WriteFile;

namespace {

constexpr const char *kKey = "Software\\Maker\\Product";

SettingsStore::Value Text(const std::string &text)
{
    SettingsStore::Value value;
    value.text = text;
    return value;
}

std::string TextOf(const SettingsStore &store, std::string_view name)
{
    auto value = store.Read(kKey, name);
    return value ? value->text : "<absent>";
}

} // namespace

// A settings file filled by years of use or by another program: every value is found, by any
// case of its name, and one write changes one value. How long it takes is bench/settings' figure
// (15 s before the one-pass reader, a quarter of a second after).
TEST(SettingsStore, findsAnyOfFiftyThousandValuesAndChangesOne)
{
    TempDir dir;
    const SettingsStore store(dir.path());
    std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\"
                       "Maker\\Product]\n";
    for (int i = 0; i < 50000; ++i)
        text += "\"value" + std::to_string(i) + "\"=\"text " + std::to_string(i) + "\"\n";
    WriteFile(store.FileFor(kKey), text);

    EXPECT_EQ(TextOf(store, "VALUE49999"), "text 49999");
    EXPECT_EQ(TextOf(store, "value0"), "text 0");
    ASSERT_TRUE(store.Write(kKey, "value25000", Text("changed")));
    EXPECT_EQ(TextOf(store, "value25000"), "changed");
}

TEST(SettingsStore, namesMatchIgnoringCaseAndTheLastLineForANameWins)
{
    TempDir dir;
    const SettingsStore store(dir.path());
    WriteFile(store.FileFor(kKey),
              "[HKEY_LOCAL_MACHINE\\Software\\Maker\\Product]\n"
              "\"Language\"=\"English\"\n"
              "\"language\"=\"Deutsch\"\n");
    EXPECT_EQ(TextOf(store, "LANGUAGE"), "Deutsch");
    ASSERT_TRUE(store.Write(kKey, "LANGUAGE", Text("Français")));
    const std::string stored = ReadFile(store.FileFor(kKey));
    EXPECT_NE(stored.find("\"Language\"=\"Français\"\n"), std::string::npos) << stored;
    EXPECT_EQ(stored.find("Deutsch"), std::string::npos);
}

// The file is read once while it is unchanged, yet an edit by hand or a write by another program
// is seen at the next read.
TEST(SettingsStore, seesEveryChangeToTheFileMadeElsewhere)
{
    TempDir dir;
    const SettingsStore store(dir.path());
    const SettingsStore other(dir.path());
    ASSERT_TRUE(store.Write(kKey, "ConvertDir", Text("/a/")));
    EXPECT_EQ(TextOf(other, "ConvertDir"), "/a/");
    ASSERT_TRUE(store.Write(kKey, "ConvertDir", Text("/b/")));
    EXPECT_EQ(TextOf(other, "ConvertDir"), "/b/");

    // Rewritten in place, same size: the time stamps tell.
    const std::string file = store.FileFor(kKey).string();
    std::string text = ReadFile(file);
    text.replace(text.find("/b/"), 3, "/c/");
    WriteFile(file, text);
    EXPECT_EQ(TextOf(other, "ConvertDir"), "/c/");
    std::filesystem::remove(file);
    EXPECT_EQ(TextOf(other, "ConvertDir"), "<absent>");
}

TEST(SettingsStore, aSettingsFileThatIsNoTextFileIsNeitherReadNorReplaced)
{
    TempDir dir;
    const SettingsStore store(dir.path());
    const auto file = store.FileFor(kKey);
    std::filesystem::create_directories(file.parent_path());
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_FALSE(store.Read(kKey, "ConvertDir"));
    EXPECT_FALSE(store.Write(kKey, "ConvertDir", Text("/a/")));
    struct stat st;
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}
