// SPDX-License-Identifier: GPL-3.0-or-later
// quillet-cli as a user runs it: real conversions of clips made here.
#include "Command.h"
#include "MediaFixtures.h"
#include "TempDir.h"
#include "app/RegistryAccess.h"
#include "texts/StoredLanguage.h"

#include <gtest/gtest.h>

#include <signal.h>

using namespace quillet::test;

namespace {

constexpr const char *kFastProfile = "ipodmp4.ini:iPod Video MPEG-4 (320x240)";

std::string Cli()
{
    return (ProgramDir() / "quillet-cli").string();
}

/// The environment of a run: its own settings folder, no display, a library folder.
std::vector<std::string> Environment(const TempDir &home)
{
    return {"QUILLET_SETTINGS_DIR=" + home.file("settings"), "DISPLAY=", "WAYLAND_DISPLAY=",
            "QUILLET_MEDIA_LIBRARY=" + home.file("library"), "LANG=C",   "LANGUAGE="};
}

int Count(const std::string &text, const std::string &what)
{
    int n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
        ++n;
    return n;
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

} // namespace

TEST(CliProgram, convertsAFolderAndPrintsEachOutput)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 1;
    MakeClip(home.path() / "in" / "one.avi", recipe);
    MakeClip(home.path() / "in" / "deeper" / "two.mkv", recipe);
    auto run = RunCommand({Cli(), "-p", kFastProfile, "-o", home.file("out"), home.file("in")},
                          Environment(home));
    ASSERT_EQ(run.exit_code, 0) << run.err;
    auto outputs = Lines(run.out);
    ASSERT_EQ(outputs.size(), 2u);
    for (const auto &output : outputs) {
        auto probed = Ffprobe(output);
        ASSERT_TRUE(probed.ok) << output;
        EXPECT_EQ(probed.first("video")->codec, "mpeg4");
        EXPECT_EQ(probed.first("video")->width, 320);
    }
    EXPECT_EQ(Count(run.err, "ffmain -i "), 2);
    // The batch's end, not the first file's: nothing left of either.
    EXPECT_NE(run.err.find("Completed: 100% | Time Left: 00:00:00 | "), std::string::npos)
        << run.err;
}

// Two converting at once when Ctrl+C comes: both stop, the third never starts, nothing is left.
TEST(CliProgram, cancelDuringTheFirstTasksEndsTheBatch)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 40;
    recipe.width = 640;
    recipe.height = 480;
    std::vector<std::string> args = {Cli(),
                                     "--jobs",
                                     "2",
                                     "-p",
                                     "ipadh264.ini:iPad Video H.264 (1024x768), add to library",
                                     "-o",
                                     home.file("out")};
    for (const char *name : {"a.mp4", "b.mp4", "c.mp4"})
        args.push_back(MakeClip(home.path() / name, recipe).string());
    bool signalled = false;
    auto run = RunCommand(args, Environment(home), [&](const std::string &err, int pid) {
        if (!signalled && err.find("Completed:") != std::string::npos) {
            ::kill(pid, SIGINT);
            signalled = true;
        }
    });
    ASSERT_TRUE(signalled) << run.err;
    EXPECT_EQ(run.exit_code, 130) << run.err;
    EXPECT_EQ(Count(run.err, "ffmain "), 2) << run.err;
    EXPECT_EQ(run.err.find("ferrule"), std::string::npos);
    EXPECT_TRUE(run.out.empty());
    EXPECT_TRUE(!std::filesystem::exists(home.file("out"))
                || std::filesystem::is_empty(home.file("out")));
    EXPECT_FALSE(std::filesystem::exists(home.file("library/a.mp4")));
}

TEST(CliProgram, aFailedTaskInTheMiddleLeavesTheOthersConverted)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 1;
    auto first = MakeClip(home.path() / "first.avi", recipe);
    auto broken = WriteFile(home.path() / "broken.mp4", "this is text, not a movie");
    auto last = MakeClip(home.path() / "last.avi", recipe);
    auto run = RunCommand({Cli(), "-p", kFastProfile, "-o", home.file("out"), first.string(),
                           broken.string(), last.string()},
                          Environment(home));
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(Lines(run.out),
              (std::vector<std::string>{home.file("out/first.mp4"), home.file("out/last.mp4")}));
    EXPECT_NE(run.err.find("These files could not be converted"), std::string::npos);
    EXPECT_NE(run.err.find("broken.mp4: "), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(home.file("out/broken.mp4")));
}

TEST(CliProgram, refusesBadUsageWithStatusTwo)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 1;
    auto clip = MakeClip(home.path() / "c.avi", recipe);
    for (auto args : std::vector<std::vector<std::string>>{
             {"--bogus", clip.string()},
             {"-p", "nosuch.ini:Nothing", clip.string()},
             {"-p", "ipodmp4.ini:No Such Section", clip.string()},
             {"-p", kFastProfile},
             {"-p", kFastProfile, home.file("missing.avi")},
             {"-p", "paldvd.ini:PAL DVD Video (720x576)", "--split", "No split", clip.string()}}) {
        args.insert(args.begin(), Cli());
        auto run = RunCommand(args, Environment(home));
        EXPECT_EQ(run.exit_code, 2) << args[1] << "\n" << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

TEST(CliProgram, listsProfilesAndProbesFiles)
{
    TempDir home;
    auto list = RunCommand({Cli(), "--list-profiles"}, Environment(home));
    ASSERT_EQ(list.exit_code, 0);
    auto lines = Lines(list.out);
    ASSERT_GT(lines.size(), 29u);
    EXPECT_EQ(lines.front().rfind("iPad\tipad", 0), 0u) << lines.front();
    EXPECT_NE(list.out.find("Common Audio\tmp3c.ini\tMP3 Audio\n"), std::string::npos);
    EXPECT_NE(list.out.find("Other Profiles\tpaldvd.ini\tPAL DVD Video (720x576)\n"),
              std::string::npos);
    EXPECT_EQ(list.out.find("kreldef"), std::string::npos);

    ClipRecipe recipe;
    recipe.seconds = 2;
    recipe.audio_streams = 2;
    auto clip = MakeClip(home.path() / "two audio.mkv", recipe);
    auto probe = RunCommand({Cli(), "--probe", clip.string()}, Environment(home));
    ASSERT_EQ(probe.exit_code, 0);
    EXPECT_EQ(probe.out.rfind("File Name:" + clip.string() + "\r\nDuration:00:00:2.0\r\n", 0), 0u)
        << probe.out;
    EXPECT_EQ(Count(probe.out, "Audio: "), 2);
}

// The post-processing command of a profile hands each output to ferrule, which puts it into the
// media library; a file name with spaces and quotes arrives whole.
TEST(CliProgram, postProcessingAddsTheOutputToTheLibrary)
{
    TempDir home;
    std::filesystem::create_directories(home.file("library"));
    ClipRecipe recipe;
    recipe.seconds = 1;
    recipe.video = false;
    auto clip = MakeClip(home.path() / "My \"Best\" Song.wav", recipe);
    auto run = RunCommand({Cli(), "-p", "m4ac.ini:AAC Audio (M4A), add to library", "-o",
                           home.file("out"), clip.string()},
                          Environment(home));
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const std::string output = home.file("out/My \"Best\" Song.m4a");
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{output}));
    EXPECT_NE(run.err.find("/ferrule " + output + " "), std::string::npos) << run.err;
    const auto copied = home.path() / "library" / "My \"Best\" Song.m4a";
    ASSERT_TRUE(std::filesystem::exists(copied));
    EXPECT_EQ(ReadFile(copied), ReadFile(output));
}

// An output folder that cannot be written to is refused before anything is probed, in the words
// the window uses, from the language folder the converter's settings name (the program ignored
// that setting and read the default folder).
TEST(CliProgram, anOutputFolderThatCannotBeWrittenIsRefusedInTheConvertersLanguage)
{
    TempDir home;
    const std::string source = WriteFile(home.path() / "a.mp4", "never probed").string();
    const std::filesystem::path own = home.path() / "own language";
    std::filesystem::create_directories(own);
    std::string german = ReadFile(ProgramDir() / "language" / "tesk" / "german.ini");
    const std::string key = "strFolderNotWritableInfo=";
    const auto at = german.find(key) + key.size();
    german.replace(at, german.find('\n', at) - at, "Eigener Ordner: %s ist zu.");
    WriteFile(own / "german.ini", german);

    struct Case
    {
        bool own_folder;
        std::string told;
    };
    for (const Case &c : {Case{false, "The folder /proc/ cannot be written to."},
                          Case{true, "Eigener Ordner: /proc/ ist zu."}}) {
        if (c.own_folder) {
            const quillet::RegistryAccess settings{
                quillet::platform::SettingsStore(home.file("settings"))};
            // The folder is stored relative to the program folder, as the window stores it.
            const std::string relative
                = std::filesystem::relative(own, ProgramDir()).generic_string();
            settings.WriteText(quillet::kProgramSettingsKey, "languagefolder",
                               "/" + relative + "/");
            settings.WriteText(quillet::kProgramSettingsKey, "language", "Deutsch (German)");
        }
        const auto run
            = RunCommand({Cli(), "-p", kFastProfile, "-o", "/proc", source}, Environment(home));
        EXPECT_EQ(run.exit_code, 2) << run.err;
        EXPECT_NE(run.err.find(c.told), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}
