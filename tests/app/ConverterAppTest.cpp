// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ConverterApp.h"
#include "core/ExtensionList.h"
#include "platform/ChildProcess.h"
#include "platform/SystemLanguage.h"
#include "texts/LanguageTable.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

using namespace quillet;
using platform::SettingsStore;
using quillet::test::ReadFile;
using quillet::test::TempDir;
using quillet::test::WriteFile;

namespace {

constexpr unsigned kEnglishUs = platform::MakeLanguageId(9, 1);

struct Fixture
{
    TempDir settings;
    TempDir program;
    RegistryAccess registry{SettingsStore(settings.path())};
    std::string ProgramFolder() const { return program.path().string(); }
};

} // namespace

TEST(ConverterApp, firstStartWritesEveryDefaultWithItsType)
{
    Fixture f;
    LanguageTable languages;
    ConverterApp app(f.registry, f.ProgramFolder());
    app.StartUp(languages, kEnglishUs);

    const std::string key = ConverterApp::kSettingsKey;
    std::string text;
    uint32_t number = 99;
    ASSERT_EQ(f.registry.ReadText(key, "ConvertDir", text), 1);
    EXPECT_EQ(text, f.ProgramFolder() + "/output/");
    ASSERT_EQ(f.registry.ReadNumber(key, "firstuse", number), 1);
    EXPECT_EQ(number, 0u);
    ASSERT_EQ(f.registry.ReadText(key, "languagefolder", text), 1);
    EXPECT_EQ(text, "/language/tesk/");
    ASSERT_EQ(f.registry.ReadText(key, "commonlanguagefolder", text), 1);
    EXPECT_EQ(text, "/language/");
    ASSERT_EQ(f.registry.ReadText(key, "language", text), 1);
    EXPECT_EQ(text, "English");
    EXPECT_TRUE(std::filesystem::is_directory(f.program.path() / "output"));
    EXPECT_EQ(app.OutputFolder(), f.ProgramFolder() + "/output/");

    // Types are kept in the file, so a later reader never mistakes one for the other.
    std::string stored = ReadFile(f.registry.Store().FileFor(key));
    EXPECT_NE(stored.find("\"firstuse\"=dword:00000000"), std::string::npos);
    EXPECT_NE(stored.find("[HKEY_LOCAL_MACHINE\\Software\\Brontwick\\Pellumo]"), std::string::npos);

    // Second start: the first-run action has run, nothing is rewritten to defaults.
    app.MarkFirstUseDone();
    ConverterApp again(f.registry, f.ProgramFolder());
    again.StartUp(languages, kEnglishUs);
    EXPECT_EQ(again.FirstUse(), 1u);
}

TEST(ConverterApp, aValueOfTheWrongTypeIsReplacedByTheDefault)
{
    Fixture f;
    const std::string key = ConverterApp::kSettingsKey;
    f.registry.WriteNumber(key, "ConvertDir", 7);
    f.registry.WriteText(key, "firstuse", "1");

    LanguageTable languages;
    ConverterApp app(f.registry, f.ProgramFolder());
    app.StartUp(languages, kEnglishUs);
    EXPECT_EQ(app.OutputFolder(), f.ProgramFolder() + "/output/");
    EXPECT_EQ(app.FirstUse(), 0u);
    std::string text;
    ASSERT_EQ(f.registry.ReadText(key, "ConvertDir", text), 1);
    EXPECT_EQ(text, f.ProgramFolder() + "/output/");
    uint32_t number = 5;
    EXPECT_EQ(f.registry.ReadNumber(key, "firstuse", number), 1);
    EXPECT_EQ(number, 0u);
}

TEST(ConverterApp, outputFolderIsCreatedWithAllItsLevels)
{
    Fixture f;
    const std::string key = ConverterApp::kSettingsKey;
    const std::string wanted = f.program.file("gone/deeper/out/");
    f.registry.WriteText(key, "ConvertDir", wanted);
    ConverterApp app(f.registry, f.ProgramFolder());
    LanguageTable languages;
    app.StartUp(languages, kEnglishUs);
    EXPECT_TRUE(std::filesystem::is_directory(wanted));

    // A stored folder without its final separator still names that folder.
    f.registry.WriteText(key, "ConvertDir", f.program.file("bare"));
    ConverterApp bare(f.registry, f.ProgramFolder());
    bare.StartUp(languages, kEnglishUs);
    EXPECT_EQ(bare.OutputFolder(), f.program.file("bare") + "/");
    EXPECT_TRUE(std::filesystem::is_directory(f.program.file("bare")));
}

TEST(ConverterApp, settingsThatCannotBeWrittenDoNotStopTheProgram)
{
    TempDir program;
    TempDir root;
    // A file where the settings folder should be makes every write fail.
    auto blocked = WriteFile(root.path() / "blocked", "not a folder");
    RegistryAccess registry{SettingsStore(blocked)};
    ConverterApp app(registry, program.path().string());
    LanguageTable languages;
    app.StartUp(languages, kEnglishUs);
    EXPECT_EQ(app.OutputFolder(), program.path().string() + "/output/");
    EXPECT_EQ(languages.CurrentLanguageName(), "English");
    EXPECT_EQ(registry.WriteText(ConverterApp::kSettingsKey, "x", "y"), 0);
}

TEST(ConverterApp, acceptedTypesAndTheFilterListTheSameExtensions)
{
    Fixture f;
    ConverterApp app(f.registry, f.ProgramFolder());
    app.FillTexts();
    const auto &filter = app.OpenFileFilter();
    ASSERT_EQ(filter.size(), OpenFileFilters().size());
    std::string joined;
    std::string pattern = filter[0].pattern;
    for (std::size_t pos = 0; (pos = pattern.find('*', pos)) != std::string::npos; ++pos) {
        auto end = pattern.find(';', pos);
        joined += pattern.substr(pos + 1, end == std::string::npos ? end : end - pos - 1);
    }
    EXPECT_EQ(joined, app.AcceptedExtensions());
    std::string buffer = app.OpenFileFilterBuffer();
    EXPECT_EQ(buffer.substr(0, 18), std::string("All support files\0", 18));
    EXPECT_EQ(buffer.substr(buffer.size() - 20), std::string("All files(*.*)\0*.*\0\0", 20));
}

// A process killed while it writes the settings leaves them readable, as they were. The kernel
// ends the writer (SIGXFSZ) when its new settings file reaches the size limit, so the kill lands
// inside the write every time, at a different byte each round.
TEST(ConverterApp, aKilledWriteLeavesTheSettingsReadable)
{
    Fixture f;
    const std::string key = ConverterApp::kSettingsKey;
    f.registry.WriteText(key, "ConvertDir", "/old/");
    const auto file_size = std::filesystem::file_size(f.registry.Store().FileFor(key));
    for (const rlim_t limit : {rlim_t{1}, rlim_t{file_size / 2}, rlim_t{file_size}}) {
        SCOPED_TRACE(limit);
        platform::ChildProcess writer = platform::ChildProcess::Fork([&] {
            const rlimit no_core{0, 0};
            const rlimit size{limit, limit};
            ::setrlimit(RLIMIT_CORE, &no_core);
            ::setrlimit(RLIMIT_FSIZE, &size);
            f.registry.WriteText(key, "ConvertDir", "/a new and longer folder/");
            return 0;
        });
        ASSERT_EQ(writer.Wait(), 128 + SIGXFSZ);
        std::string text;
        ASSERT_EQ(f.registry.ReadText(key, "ConvertDir", text), 1);
        EXPECT_EQ(text, "/old/");
    }
}

TEST(ConverterApp, productPageIsTheLocalGettingStartedPageAndSupportItsHelpSection)
{
    TempDir settings;
    RegistryAccess registry{platform::SettingsStore(settings.path())};
    ConverterApp app(registry, "/opt/My Programs/quillet ü");
    app.FillTexts();
    EXPECT_EQ(app.ProductPage(),
              "file:///opt/My%20Programs/quillet%20%C3%BC/help/getting-started.html");
    EXPECT_EQ(app.SupportPage(), app.ProductPage() + "#help");
}

// An installed program folder cannot be written: the profiles the program saves and the default
// output folder go to the per-user stand-in, which starts with the built-in profiles. A folder
// that can be written is used as it always was.
TEST(ConverterApp, aReadOnlyProgramFolderWritesToThePerUserStandIn)
{
    Fixture f;
    TempDir home;
    WriteFile(f.program.path() / "ini" / "ipadh264.ini", "[iPad Video]\nTargetType=mp4\n");
    LanguageTable languages;

    ConverterApp installed(f.registry, f.ProgramFolder());
    const auto choice = installed.ChooseDataFolder(home.path().string(),
                                                   [](const std::string &) { return false; });
    EXPECT_TRUE(choice.stand_in);
    EXPECT_EQ(choice.error, "");
    const std::string stand_in = (home.path() / "quillet").string();
    EXPECT_EQ(installed.DataFolder(), stand_in);
    EXPECT_EQ(installed.IniFolder(), stand_in + "/ini/");
    EXPECT_TRUE(std::filesystem::is_regular_file(home.path() / "quillet/ini/ipadh264.ini"));
    installed.StartUp(languages, kEnglishUs);
    EXPECT_EQ(installed.OutputFolder(), stand_in + "/output/");
    EXPECT_TRUE(std::filesystem::is_directory(home.path() / "quillet/output"));
    EXPECT_FALSE(std::filesystem::exists(f.program.path() / "output"));
    // The libraries, language files and pages are still the program folder's.
    EXPECT_EQ(installed.ProgramFolder(), f.ProgramFolder());

    Fixture writable;
    ConverterApp copied(writable.registry, writable.ProgramFolder());
    EXPECT_FALSE(copied.ChooseDataFolder(home.path().string()).stand_in);
    EXPECT_EQ(copied.IniFolder(), writable.ProgramFolder() + "/ini/");
}
