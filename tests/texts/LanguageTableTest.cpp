// SPDX-License-Identifier: GPL-3.0-or-later
#include "texts/LanguageTable.h"
#include "platform/SystemLanguage.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace quillet;
using platform::LanguageIdFromLocale;
using platform::MakeLanguageId;
using quillet::test::TempDir;
using quillet::test::WriteFile;

namespace {

struct LanguageFolder
{
    TempDir dir;
    std::string Folder() const { return dir.path().string() + "/"; }
    void Add(const std::string &file, const std::string &text)
    {
        WriteFile(dir.path() / file, text);
    }
};

} // namespace

TEST(LanguageTable, listsOnlyFilesThatNameTheirLanguage)
{
    LanguageFolder folder;
    folder.Add("en.ini", "[Info]\nLanguage=English\n");
    folder.Add("plain.ini", "[MAIN_DLG]\nbtnAddInfo=Add\n");
    folder.Add("empty.ini", "[Info]\nLanguage=\n");
    folder.Add("notes.txt", "[Info]\nLanguage=Notes\n");
    folder.Add("DE.INI", "[Info]\nLanguage=Deutsch (German)\n");

    LanguageTable table;
    table.ScanLanguageFolder(folder.Folder());
    auto names = table.CopyLanguages();
    ASSERT_EQ(names.size(), 2u);
    std::vector<std::string> sorted = {names[0].name, names[1].name};
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"Deutsch (German)", "English"}));
}

TEST(LanguageTable, looksTextsUpWithEscapesAndDefaults)
{
    LanguageFolder folder;
    folder.Add("x.ini",
               "[Info]\nLanguage=Test\n[MAIN_DLG]\nLines=one#13two\nCrLf=a#17#13b\n"
               "Tab=a#19b\nEmptyValue=\nQuoted=\"  spaced  \"\nLong="
                   + std::string(600, 'L') + "\n");
    LanguageTable table;
    // Without a selected file every text is its default.
    EXPECT_EQ(table.Lookup("MAIN_DLG", "Lines", "Default#13text"), "Default\ntext");

    table.ScanLanguageFolder(folder.Folder());
    table.SelectLanguage("Test");
    EXPECT_EQ(table.Lookup("MAIN_DLG", "Lines", ""), "one\ntwo");
    EXPECT_EQ(table.Lookup("main_dlg", "CRLF", ""), "a\r\nb");
    EXPECT_EQ(table.Lookup("MAIN_DLG", "Tab", ""), "a\tb");
    EXPECT_EQ(table.Lookup("MAIN_DLG", "EmptyValue", "Default"), "");
    EXPECT_EQ(table.Lookup("MAIN_DLG", "Missing", "Default"), "Default");
    EXPECT_EQ(table.Lookup("NO_SECTION", "Lines", "Default"), "Default");
    EXPECT_EQ(table.Lookup("MAIN_DLG", "Quoted", ""), "  spaced  ");
    EXPECT_EQ(table.Lookup("MAIN_DLG", "Long", "").size(), 499u);
}

TEST(LanguageTable, aCutNeverLeavesHalfACharacter)
{
    LanguageFolder folder;
    // 498 ASCII letters and a two-byte character: the cut at 499 bytes falls inside it.
    folder.Add("x.ini", "[Info]\nLanguage=Test\n[S]\nk=" + std::string(498, 'a') + "\xC3\xA9\n");
    LanguageTable table;
    table.ScanLanguageFolder(folder.Folder());
    table.SelectLanguage("Test");
    EXPECT_EQ(table.Lookup("S", "k", ""), std::string(498, 'a'));
}

TEST(LanguageTable, selectionTakesTheFirstFileOfANameAndRemembersUnknownNames)
{
    LanguageFolder folder;
    folder.Add("a.ini", "[Info]\nLanguage=Same\n[S]\nk=from a\n");
    folder.Add("b.ini", "[Info]\nLanguage=Same\n[S]\nk=from b\n");
    LanguageTable table;
    table.ScanLanguageFolder(folder.Folder());
    auto entries = table.CopyLanguages();
    ASSERT_EQ(entries.size(), 2u);
    table.SelectLanguageByIndex(1);
    const std::string first = entries[0].file_name == "a.ini" ? "from a" : "from b";
    EXPECT_EQ(table.Lookup("S", "k", ""), first);

    table.SelectLanguage("Gone");
    EXPECT_EQ(table.CurrentLanguageName(), "Gone");
    EXPECT_EQ(table.Lookup("S", "k", ""), first); // the previous file stays selected

    auto menu = table.MenuItems();
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_EQ(menu[1].command, 40001);
    EXPECT_FALSE(menu[0].checked || menu[1].checked);
    EXPECT_TRUE(table.HandleLanguageCommand(40001));
    EXPECT_TRUE(table.MenuItems()[0].checked && table.MenuItems()[1].checked);
    EXPECT_TRUE(table.HandleLanguageCommand(40150));
    EXPECT_FALSE(table.HandleLanguageCommand(40200));
}

TEST(LanguageTable, aMissingFolderGivesNoLanguagesAndEveryDefault)
{
    LanguageTable table;
    table.ScanLanguageFolder("/nonexistent/language/tesk/");
    EXPECT_TRUE(table.CopyLanguages().empty());
    EXPECT_TRUE(table.MenuItems().empty());
    table.SelectLanguage(table.DefaultLanguageName(MakeLanguageId(7, 1)));
    EXPECT_EQ(table.CurrentLanguageName(), "English");
    EXPECT_EQ(table.Lookup("MAIN_DLG", "btnAddInfo", "&New Task"), "&New Task");
}

TEST(LanguageTable, defaultLanguageFollowsTheSystemLocale)
{
    LanguageFolder folder;
    folder.Add("de.ini", "[Info]\nLanguage=Deutsch (German)\n");
    folder.Add("fr.ini", "[Info]\nLanguage=Français (French)\n");
    folder.Add("us.ini", "[Info]\nLanguage=English (US) special\n");
    LanguageTable table;
    table.ScanLanguageFolder(folder.Folder());

    EXPECT_EQ(table.DefaultLanguageName(LanguageIdFromLocale("de_DE.UTF-8")), "Deutsch (German)");
    EXPECT_EQ(table.DefaultLanguageName(LanguageIdFromLocale("fr_FR")), "Français (French)");
    EXPECT_EQ(table.DefaultLanguageName(LanguageIdFromLocale("en_US.UTF-8")),
              "English (US) special");
    // Swiss German is "German (Swiss)", which no file's name contains.
    EXPECT_EQ(table.DefaultLanguageName(LanguageIdFromLocale("de_CH.UTF-8")), "English");
    EXPECT_EQ(table.DefaultLanguageName(LanguageIdFromLocale("ja_JP.UTF-8")), "English");

    EXPECT_EQ(LanguageIdFromLocale("C"), 0x0409u);
    EXPECT_EQ(LanguageIdFromLocale("en_GB.UTF-8"), 0x0809u);
    EXPECT_EQ(LanguageIdFromLocale("sr_RS@latin"), MakeLanguageId(26, 2));
    EXPECT_EQ(LanguageIdFromLocale("es_ES.UTF-8"), 0x0C0Au);
    EXPECT_EQ(LanguageIdFromLocale("xx_YY"), 0u);
}

TEST(LanguageTable, formatTextsMustTakeTheDefaultsArguments)
{
    LanguageFolder folder;
    folder.Add("h.ini",
               "[Info]\nLanguage=Hostile\n[CONVERSION_INFO]\n"
               "strFormatInfo=%s%s%s%n\n"
               "[MAIN_DLG]\nstrWebsiteTooltip=Willkommen auf der %s-Seite\n"
               "strTotalInfo=%d%%\nstrCompletedInfo=%08.3f\n");
    LanguageTable table;
    table.ScanLanguageFolder(folder.Folder());
    table.SelectLanguage("Hostile");

    const char *info = "File Name:%s\r\nDuration:%02d:%02d:%02.1f\r\nStart Time:%.3fs\r\n"
                       "Bit Rate:%dkbit/s";
    EXPECT_EQ(table.LookupFormat("CONVERSION_INFO", "strFormatInfo", info), info);
    EXPECT_EQ(table.LookupFormat("MAIN_DLG", "strWebsiteTooltip", "welcome to %s website"),
              "Willkommen auf der %s-Seite");
    EXPECT_EQ(table.LookupFormat("MAIN_DLG", "strTotalInfo", "Total"), "Total");
    EXPECT_EQ(table.LookupFormat("MAIN_DLG", "strCompletedInfo", "%d"), "%d");

    EXPECT_TRUE(FormatsAgree("%-s and %f%%", "%s %f"));
    EXPECT_TRUE(FormatsAgree("%x", "%d") == false);
    EXPECT_FALSE(FormatsAgree("%ld", "%d"));
    EXPECT_FALSE(FormatsAgree("%*d", "%d"));
    EXPECT_FALSE(FormatsAgree("%1$s", "%s"));
    EXPECT_FALSE(FormatsAgree("%", ""));
    EXPECT_FALSE(FormatsAgree("%n", "%n"));
}

// A width or precision costs memory for every text it fills: %99999999s made each added file's
// information a text of 100 million characters. A translation may use one only where the default
// does, and small.
TEST(LanguageTable, formatWidthsArePermittedOnlyWhereTheDefaultHasThemAndSmall)
{
    LanguageFolder folder;
    folder.Add("w.ini",
               "[Info]\nLanguage=Wide\n[MAIN_DLG]\nstrWebsiteTooltip=%99999999s\n"
               "strCompletedInfo=%.99999999f\n");
    LanguageTable table;
    table.ScanLanguageFolder(folder.Folder());
    table.SelectLanguage("Wide");
    EXPECT_EQ(table.LookupFormat("MAIN_DLG", "strWebsiteTooltip", "welcome to %s website"),
              "welcome to %s website");
    EXPECT_EQ(table.LookupFormat("MAIN_DLG", "strCompletedInfo", "%.1f"), "%.1f");

    EXPECT_FALSE(FormatsAgree("%5s", "%s"));
    EXPECT_FALSE(FormatsAgree("%.2f", "%f"));
    EXPECT_FALSE(FormatsAgree("%-5s and %3.1f%%", "%s %f"));
    EXPECT_FALSE(FormatsAgree("%065d", "%02d"));
    EXPECT_TRUE(FormatsAgree("%03d:%02d", "%02d:%02d"));
    EXPECT_TRUE(FormatsAgree("%.3f", "%.1f"));
    EXPECT_TRUE(FormatsAgree("%064d", "%2d"));
    EXPECT_TRUE(FormatsAgree("%-2d", "%02d"));
    EXPECT_TRUE(FormatsAgree("%*d", "%*d"));
}
