// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PrivateProfile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace quillet::platform;
using quillet::test::ReadFile;
using quillet::test::TempDir;
using quillet::test::WriteFile;

namespace {

// A profile file as a user on another system leaves it: CRLF endings, names in mixed case, a
// duplicate key, quoted values, comments and blank lines.
constexpr std::string_view kHandMade = "; profiles for the living-room box\r\n"
                                       "\r\n"
                                       "[General]\r\n"
                                       "Name = first \r\n"
                                       "name=second\r\n"
                                       "Quoted=\"  spaced value  \"\r\n"
                                       "Single='x'\r\n"
                                       "Lonely=\"\r\n"
                                       "Empty=\r\n"
                                       "; a comment=with an equals sign\r\n"
                                       "Count=12abc\r\n"
                                       "\r\n"
                                       "[ Video Profile ]\r\n"
                                       "Width=640\r\n"
                                       "\r\n";

} // namespace

TEST(PrivateProfile, readsHandMadeFileAsTheClassicFunctionsDo)
{
    TempDir dir;
    auto file = WriteFile(dir.path() / "hand.ini", kHandMade);

    EXPECT_EQ(ReadProfileString("GENERAL", "NAME", "dflt", 100, file), "first");
    EXPECT_EQ(ReadProfileString("general", "quoted", "", 100, file), "  spaced value  ");
    EXPECT_EQ(ReadProfileString("General", "Single", "", 100, file), "x");
    EXPECT_EQ(ReadProfileString("General", "Lonely", "", 100, file), "\"");
    EXPECT_EQ(ReadProfileString("General", "Empty", "dflt", 100, file), "");
    EXPECT_EQ(ReadProfileString("General", "; a comment", "none", 100, file), "none");
    EXPECT_EQ(ReadProfileString("video profile", "width", "", 100, file), "640");
    EXPECT_EQ(ReadProfileString("General", "Width", "absent", 100, file), "absent");
    EXPECT_EQ(ReadProfileString("Nowhere", "Name", "absent", 100, file), "absent");
    EXPECT_EQ(ReadProfileString("General", "Name", "", 100, dir.path() / "missing.ini"), "");

    EXPECT_EQ(ReadProfileInt("General", "Count", 7, file), 12);
    EXPECT_EQ(ReadProfileInt("General", "Name", 7, file), 0);
    EXPECT_EQ(ReadProfileInt("General", "Missing", 7, file), 7);
}

TEST(PrivateProfile, cutsToTheCallersBuffer)
{
    TempDir dir;
    auto file = WriteFile(dir.path() / "a.ini", "[s]\nk=abcdefgh\n");
    EXPECT_EQ(ReadProfileString("s", "k", "", 5, file), "abcd");
    EXPECT_EQ(ReadProfileString("s", "absent", "defaultlong", 4, file), "def");
    EXPECT_EQ(ReadProfileString("s", "k", "", 0, file), "");
}

TEST(PrivateProfile, readsIntegersAndFloats)
{
    TempDir dir;
    auto file = WriteFile(dir.path() / "n.ini",
                          "[n]\nneg=-42\nplus=+5\nbig=99999999999\nf=128.500000\nbad=abc\n");
    EXPECT_EQ(ReadProfileInt("n", "neg", 0, file), -42);
    EXPECT_EQ(ReadProfileInt("n", "plus", 0, file), 5);
    EXPECT_EQ(ReadProfileInt("n", "big", 0, file), 2147483647);
    EXPECT_DOUBLE_EQ(ReadProfileFloat("n", "f", file), 128.5);
    EXPECT_DOUBLE_EQ(ReadProfileFloat("n", "bad", file), 0.0);
    EXPECT_DOUBLE_EQ(ReadProfileFloat("n", "missing", file), 0.0);
}

TEST(PrivateProfile, writingOneKeyChangesThatLineOnly)
{
    TempDir dir;
    auto file = WriteFile(dir.path() / "hand.ini", kHandMade);
    ASSERT_TRUE(WriteProfileString("general", "NAME", "third", file));

    std::string expected(kHandMade);
    expected.replace(expected.find("Name = first "), std::strlen("Name = first "), "Name =third");
    EXPECT_EQ(ReadFile(file), expected);
    EXPECT_EQ(ReadProfileString("General", "Name", "", 100, file), "third");
}

TEST(PrivateProfile, appendsNewKeysAtTheEndOfTheirSectionAndNewSectionsAtTheEnd)
{
    TempDir dir;
    auto file = WriteFile(dir.path() / "hand.ini", kHandMade);
    ASSERT_TRUE(WriteProfileString("General", "Added", "1", file));
    ASSERT_TRUE(WriteProfileString("Fresh", "Key", "v", file));

    std::string expected(kHandMade);
    expected.insert(expected.find("Count=12abc\r\n") + std::strlen("Count=12abc\r\n"),
                    "Added=1\r\n");
    expected += "[Fresh]\r\nKey=v\r\n";
    EXPECT_EQ(ReadFile(file), expected);
}

TEST(PrivateProfile, createsTheFileAndKeepsLfEndings)
{
    TempDir dir;
    auto file = dir.path() / "new.ini";
    ASSERT_TRUE(WriteProfileString("A", "k", "1", file));
    ASSERT_TRUE(WriteProfileString("A", "j", "2", file));
    EXPECT_EQ(ReadFile(file), "[A]\nk=1\nj=2\n");

    auto lf = WriteFile(dir.path() / "lf.ini", "# header\n[A]\nk=1");
    ASSERT_TRUE(WriteProfileString("A", "k", "22", lf));
    EXPECT_EQ(ReadFile(lf), "# header\n[A]\nk=22");
}

TEST(PrivateProfile, refusesWritesThatWouldBreakTheFile)
{
    TempDir dir;
    auto file = WriteFile(dir.path() / "a.ini", "[A]\nk=1\n");
    EXPECT_FALSE(WriteProfileString("A", "k", "two\nlines", file));
    EXPECT_FALSE(WriteProfileString("A", "", "v", file));
    EXPECT_FALSE(WriteProfileString("A", "k=x", "v", file));
    EXPECT_FALSE(WriteProfileString("A]", "k", "v", file));
    EXPECT_EQ(ReadFile(file), "[A]\nk=1\n");
}

TEST(PrivateProfile, reportsAFailedWriteAndLeavesNoTemporaryFile)
{
    TempDir dir;
    EXPECT_FALSE(WriteProfileString("A", "k", "v", dir.path() / "no-such-folder" / "a.ini"));
    std::filesystem::create_directory(dir.path() / "folder.ini");
    EXPECT_FALSE(WriteProfileString("A", "k", "v", dir.path() / "folder.ini"));
    int entries = 0;
    for ([[maybe_unused]] auto &e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(PrivateProfile, listsSectionNamesIntoABoundedDoubleNulList)
{
    TempDir dir;
    auto file = WriteFile(dir.path() / "s.ini", "[alpha]\n[Beta]\n[ALPHA]\n[gamma]\n");

    char names[64];
    std::size_t n = ReadProfileSectionNames(names, sizeof names, file);
    EXPECT_EQ(n, std::strlen("alpha") + std::strlen("Beta") + std::strlen("gamma") + 3);
    EXPECT_EQ(SplitNameList(names, sizeof names),
              (std::vector<std::string>{"alpha", "Beta", "gamma"}));
    EXPECT_EQ(names[n], '\0');

    // Only what fits is listed; the list still ends with two NULs inside the buffer.
    char small[9];
    std::memset(small, 'x', sizeof small);
    ReadProfileSectionNames(small, sizeof small, file);
    EXPECT_EQ(SplitNameList(small, sizeof small), (std::vector<std::string>{"alpha", "B"}));
    EXPECT_EQ(small[7], '\0');
    EXPECT_EQ(small[8], '\0');
}

TEST(PrivateProfile, valuesThatReadingWouldChangeSurviveARoundTrip)
{
    TempDir dir;
    auto file = dir.path() / "round.ini";
    for (std::string value : {"\"./ferrule\" \"%out\"", "'x'", "  padded ", "\"", "plain"}) {
        ASSERT_TRUE(WriteProfileString("S", "k", value, file));
        EXPECT_EQ(ReadProfileString("S", "k", "", 1024, file), value);
    }
}
