// SPDX-License-Identifier: GPL-3.0-or-later
// The language files the program ships, checked against the key catalogue: a key a file lacks or
// misspells silently shows English, and a translated format with other conversions than its
// default would make the caller read arguments it never passed.
#include "core/BatchTexts.h"
#include "core/RunTexts.h"
#include "core/SizeTexts.h"
#include "platform/PrivateProfile.h"
#include "platform/SystemLanguage.h"
#include "platform/Utf8.h"
#include "texts/LanguageKeys.h"
#include "texts/LanguageTable.h"
#include "texts/Texts.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <vector>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

using namespace quillet;
using platform::LanguageIdFromLocale;

namespace {

const std::filesystem::path kSourceFolder
    = std::filesystem::path(QUILLET_SOURCE_DIR) / "resources" / "language";

struct ShippedFile
{
    const char *file_name;
    const char *language;
};
constexpr ShippedFile kEnglish = {"english.ini", "English"};
constexpr ShippedFile kGerman = {"german.ini", "Deutsch (German)"};
constexpr ShippedFile kFrench = {"french.ini", "Français (French)"};
constexpr ShippedFile kShippedFiles[] = {kEnglish, kGerman, kFrench};
constexpr ShippedFile kTranslations[] = {kGerman, kFrench};

// Stands for "the file has no such key": no shipped text contains it.
constexpr std::string_view kAbsent = "<absent>";

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

/// "section/key" as the reader matches it (ignoring case).
std::string Address(std::string_view section, std::string_view key)
{
    return Lower(section) + "/" + Lower(key);
}

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

/// The keys a file holds, as written, and every line a reader would skip without a word.
struct KeyScan
{
    std::vector<std::string> addresses; // in file order, duplicates kept
    std::vector<std::string> faults;
};

KeyScan ScanKeys(const std::string &text)
{
    KeyScan scan;
    std::string section;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::string_view t = Trimmed(line);
        if (t.empty() || t.front() == ';')
            continue;
        if (t.front() == '[' && t.back() == ']') {
            section = std::string(Trimmed(t.substr(1, t.size() - 2)));
            continue;
        }
        const auto eq = t.find('=');
        if (eq == std::string_view::npos || section.empty())
            scan.faults.push_back("line " + std::to_string(number) + ": " + line);
        else
            scan.addresses.push_back(Address(section, Trimmed(t.substr(0, eq))));
    }
    return scan;
}

/// Keyboard-shortcut markers: each "&" that is not half of a literal "&&".
int ShortcutMarkers(std::string_view text)
{
    int markers = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (i + 1 < text.size() && text[i + 1] == '&')
            ++i;
        else
            ++markers;
    }
    return markers;
}

/// A language table reading the source folder, with one shipped file selected.
LanguageTable TableWith(const ShippedFile &file)
{
    LanguageTable table;
    table.ScanLanguageFolder(kSourceFolder.string() + "/");
    table.SelectLanguage(file.language);
    return table;
}

} // namespace

TEST(LanguageKeys, catalogueNamesEveryTextOnceWithAUsableDefault)
{
    static_assert(CataloguedKey("OPTION_DLG", "btnSaveApplyInfo").default_text == "Save&&Apply");
    std::set<std::string> seen;
    for (const LanguageKey &entry : AllLanguageKeys()) {
        // Two spellings of one key would share a single line of a language file.
        EXPECT_TRUE(seen.insert(Address(entry.section, entry.key)).second)
            << entry.section << "/" << entry.key << " is catalogued twice";
        // The caller hands a default back as a format when a translation's disagrees.
        EXPECT_TRUE(FormatsAgree(entry.default_text, entry.default_text))
            << entry.section << "/" << entry.key << " has a default that is no valid format";
    }
    const LanguageKey *found = FindLanguageKey("main_dlg", "BTNORGINALFRAMERATEINFO");
    EXPECT_EQ(found, nullptr); // that key belongs to the audio page
    found = FindLanguageKey("option_audio_dlg", "BTNORGINALFRAMERATEINFO");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->default_text, "Original sample rate (or system default)");
    EXPECT_EQ(LookupKey(BuiltInTexts(), *found), found->default_text);
}

TEST(LanguageKeys, theCoresRunTextsAreCataloguedWithTheSameDefaults)
{
    // The core names its run messages itself; a default that drifted from the catalogue's would
    // show one English text in a run and another in the language files.
    using TextList = std::vector<run_texts::RunText>;
    static const std::pair<std::string_view, TextList> kCoreTexts[] = {
        {run_texts::kSection,
         {run_texts::kFailedFiles, run_texts::kNoOutputWritten, run_texts::kEngineResult,
          run_texts::kPostProcessNotRun, run_texts::kPostProcessFailed, run_texts::kSourceChanged,
          run_texts::kFrameRateRefused, size_texts::kCannotFitMany, size_texts::kCannotFitOne,
          size_texts::kOutputCut, size_texts::kPlannedToFit}},
        {batch_texts::kSection,
         {batch_texts::kRestoreOffer, batch_texts::kRestoreOfferOne, batch_texts::kRestore,
          batch_texts::kDiscard, batch_texts::kDamaged, batch_texts::kNewer,
          batch_texts::kNotSetAside, batch_texts::kBusy, batch_texts::kSourceGone,
          batch_texts::kSourceChanged, batch_texts::kAlreadyMade}},
    };
    for (const auto &[section, texts] : kCoreTexts) {
        for (const run_texts::RunText &text : texts) {
            const LanguageKey *entry = FindLanguageKey(section, text.key);
            ASSERT_NE(entry, nullptr) << section << "/" << text.key;
            EXPECT_EQ(entry->default_text, text.default_text) << text.key;
        }
    }
}

TEST(LanguageFiles, eachFileNamesItsLanguageAndHoldsExactlyTheCataloguedKeys)
{
    std::set<std::string> catalogued = {Address("Info", "Language")};
    for (const LanguageKey &entry : AllLanguageKeys())
        catalogued.insert(Address(entry.section, entry.key));

    for (const ShippedFile &file : kShippedFiles) {
        SCOPED_TRACE(file.file_name);
        const std::filesystem::path path = kSourceFolder / file.file_name;
        const KeyScan scan = ScanKeys(test::ReadFile(path));
        EXPECT_TRUE(scan.faults.empty()) << "unreadable line " << scan.faults.front();
        EXPECT_EQ(platform::ReadProfileString("Info", "Language", "", 1000, path), file.language);

        std::set<std::string> present;
        for (const std::string &address : scan.addresses) {
            // Only the first of two equal keys is ever read.
            EXPECT_TRUE(present.insert(address).second) << address << " appears twice";
            EXPECT_TRUE(catalogued.count(address)) << address << " is not a key the program reads";
        }
        for (const std::string &address : catalogued)
            EXPECT_TRUE(present.count(address)) << address << " is missing";
    }
}

TEST(LanguageFiles, englishFileGivesTheBuiltInTextsExactly)
{
    const LanguageTable table = TableWith(kEnglish);
    ASSERT_FALSE(table.CurrentLanguageFile().empty());
    for (const LanguageKey &entry : AllLanguageKeys())
        EXPECT_EQ(table.Lookup(entry.section, entry.key, kAbsent), entry.default_text)
            << entry.section << "/" << entry.key;
}

TEST(LanguageFiles, translationsKeepTheConversionsAndShortcutsOfTheirDefaults)
{
    for (const ShippedFile &file : kTranslations) {
        SCOPED_TRACE(file.file_name);
        const LanguageTable table = TableWith(file);
        ASSERT_FALSE(table.CurrentLanguageFile().empty());
        for (const LanguageKey &entry : AllLanguageKeys()) {
            SCOPED_TRACE(std::string(entry.section) + "/" + std::string(entry.key));
            const std::string text = table.Lookup(entry.section, entry.key, kAbsent);
            // A summary piece is joined into a bigger format, so even a text with no
            // conversion of its own must not bring one.
            EXPECT_TRUE(FormatsAgree(text, entry.default_text)) << text;
            EXPECT_EQ(ShortcutMarkers(text), ShortcutMarkers(entry.default_text)) << text;
            // A present but empty value blanks the control instead of showing English.
            EXPECT_EQ(text.empty(), entry.default_text.empty()) << text;
        }
    }
}

TEST(LanguageFiles, valuesAreSingleUtf8LinesWithinTheLookupLimit)
{
    for (const ShippedFile &file : kShippedFiles) {
        SCOPED_TRACE(file.file_name);
        const std::filesystem::path path = kSourceFolder / file.file_name;
        const std::string bytes = test::ReadFile(path);
        ASSERT_FALSE(bytes.empty());
        EXPECT_TRUE(platform::IsValidUtf8(bytes));
        EXPECT_EQ(bytes.find('\r'), std::string::npos) << "line endings must be LF";
        EXPECT_EQ(bytes.back(), '\n');

        for (const LanguageKey &entry : AllLanguageKeys()) {
            SCOPED_TRACE(std::string(entry.section) + "/" + std::string(entry.key));
            const std::string raw
                = platform::ReadProfileString(entry.section, entry.key, "", 100000, path);
            // The lookup reads 499 bytes; the rest of a longer value would be lost.
            EXPECT_LE(raw.size(), LanguageTable::kTextCapacity - 1);
            for (char c : raw)
                EXPECT_GE(static_cast<unsigned char>(c), 0x20) << "control character in " << raw;
            // #13, #19 and #17 are the only escapes; "#10" or "#9" would show as typed.
            for (auto hash = raw.find('#'); hash != std::string::npos;
                 hash = raw.find('#', hash + 1)) {
                if (hash + 1 < raw.size()
                    && std::isdigit(static_cast<unsigned char>(raw[hash + 1]))) {
                    const std::string escape = raw.substr(hash, 3);
                    EXPECT_TRUE(escape == "#13" || escape == "#19" || escape == "#17") << raw;
                }
            }
        }
    }
}

TEST(LanguageFiles, languageTableListsTheShippedFilesAndPicksThemForTheirSystems)
{
    LanguageTable table;
    table.ScanLanguageFolder(kSourceFolder.string() + "/");
    std::vector<std::string> names;
    for (const LanguageEntry &entry : table.CopyLanguages())
        names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"Deutsch (German)", "English", "Français (French)"}));

    EXPECT_EQ(table.DefaultLanguageName(LanguageIdFromLocale("de_DE.UTF-8")), "Deutsch (German)");
    EXPECT_EQ(table.DefaultLanguageName(LanguageIdFromLocale("fr_FR.UTF-8")), "Français (French)");
    EXPECT_EQ(table.DefaultLanguageName(LanguageIdFromLocale("en_US.UTF-8")), "English");
    EXPECT_EQ(table.DefaultLanguageName(LanguageIdFromLocale("it_IT.UTF-8")), "English");

    // Switching language changes what a window shows; switching back restores English.
    table.SelectLanguage("Deutsch (German)");
    const LanguageKey &remove = CataloguedKey("MAIN_DLG", "btnRemoveInfo");
    EXPECT_EQ(LookupKey(table, remove), "&Löschen");
    table.SelectLanguage("English");
    EXPECT_EQ(LookupKey(table, remove), "&Delete");
}
