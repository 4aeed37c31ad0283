// SPDX-License-Identifier: GPL-3.0-or-later
// quillet-cli given what a careless or hostile user gives it: settings, inputs and profiles that
// are not what they should be, and signals in the middle of a conversion.
#include "Command.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include "platform/ChildProcess.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <thread>

using namespace quillet::test;
namespace fs = std::filesystem;

namespace {

constexpr const char *kFastProfile = "ipodmp4.ini:iPod Video MPEG-4 (320x240)";

std::string Cli()
{
    return (ProgramDir() / "quillet-cli").string();
}

std::vector<std::string> Environment(const TempDir &home)
{
    return {"QUILLET_SETTINGS_DIR=" + home.file("settings"), "DISPLAY=", "WAYLAND_DISPLAY=",
            "QUILLET_MEDIA_LIBRARY=" + home.file("library"), "LANG=C",   "LANGUAGE="};
}

fs::path ShortClip(const TempDir &home, const std::string &name, double seconds = 1)
{
    ClipRecipe recipe;
    recipe.seconds = seconds;
    recipe.video = !name.ends_with(".wav");
    recipe.width = 160;
    recipe.height = 120;
    return MakeClip(home.path() / name, recipe);
}

std::set<std::string> Names(const fs::path &folder)
{
    std::set<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.insert(it->path().filename().string());
    return names;
}

/// A program folder of its own: the built program and libraries linked in, profiles and
/// language files copied, so a run may write its default output folder there.
fs::path OwnProgramFolder(const TempDir &home)
{
    fs::path folder = home.path() / "program";
    fs::create_directories(folder);
    for (const auto &entry : fs::directory_iterator(ProgramDir())) {
        const std::string name = entry.path().filename().string();
        if (name == "quillet-cli" || name.ends_with(".so")) {
            std::error_code ec;
            fs::create_hard_link(entry.path(), folder / name, ec);
            if (ec)
                fs::copy_file(entry.path(), folder / name);
        }
    }
    fs::copy(ProgramDir() / "ini", folder / "ini", fs::copy_options::recursive);
    fs::copy(ProgramDir() / "language", folder / "language", fs::copy_options::recursive);
    return folder;
}

} // namespace

// An empty output folder in the settings is no folder: the default one is used.
TEST(CliRobustness, anEmptyOutputFolderSettingActsAsAbsent)
{
    TempDir home;
    const fs::path program = OwnProgramFolder(home);
    WriteFile(home.path() / "settings/Brontwick/Pellumo.reg",
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Brontwick\\Pellumo]\n\"ConvertDir\"=\"\"\n");
    const auto clip = ShortClip(home, "clip.avi");
    const auto run = RunCommand(
        {(program / "quillet-cli").string(), "-p", kFastProfile, clip.string()}, Environment(home));
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, (program / "output/clip.mp4").string() + "\n");
    EXPECT_TRUE(Ffprobe(program / "output/clip.mp4").ok);
}

// An input that cannot be followed or named fails as a task, with its name, and the others
// convert.
TEST(CliRobustness, inputsThatCannotBeOpenedFailAsTasksNamingTheFile)
{
    TempDir home;
    const auto clip = ShortClip(home, "good.avi");
    fs::create_symlink(home.path() / "loop.avi", home.path() / "loop.avi");
    const std::string too_long = home.file(std::string(300, 'n') + ".avi");
    const auto run = RunCommand({Cli(), "-p", kFastProfile, "-o", home.file("out"),
                                 home.file("loop.avi"), too_long, clip.string()},
                                Environment(home));
    EXPECT_EQ(run.exit_code, 1) << run.err;
    EXPECT_EQ(run.out, home.file("out/good.mp4") + "\n");
    EXPECT_NE(run.err.find("loop.avi: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(std::string(300, 'n') + ".avi: "), std::string::npos) << run.err;
    EXPECT_EQ(Names(home.path() / "out"), (std::set<std::string>{"good.mp4"}));
}

// A profile "file" that is a device or a FIFO is refused at once, never read.
TEST(CliRobustness, profileFilesThatAreNoRegularFilesAreRefused)
{
    TempDir home;
    const auto clip = ShortClip(home, "clip.avi");
    ASSERT_EQ(::mkfifo(home.file("fifo.ini").c_str(), 0600), 0);
    // The profile argument names a file in the program's ini folder; ".." leads out of it.
    const std::string up = "../../../../../../../../../../../../../..";
    const auto start = std::chrono::steady_clock::now();
    for (const std::string &profile_file : {up + "/dev/zero", up + home.file("fifo.ini")}) {
        const auto run
            = RunCommand({Cli(), "-p", profile_file + ":x", "-o", home.file("out"), clip.string()},
                         Environment(home));
        EXPECT_EQ(run.exit_code, 2) << run.err;
        EXPECT_NE(run.err.find("not a regular file"), std::string::npos) << run.err;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_FALSE(fs::exists(home.path() / "out"));
}

// A track the file does not have would silently make an output without sound.
TEST(CliRobustness, anAudioTrackTheFileLacksIsRefusedBeforeConverting)
{
    TempDir home;
    const auto one = ShortClip(home, "one.avi");
    const auto run = RunCommand(
        {Cli(), "-p", kFastProfile, "-o", home.file("out"), "--audio-tracks", "1,5", one.string()},
        Environment(home));
    EXPECT_EQ(run.exit_code, 2) << run.err;
    EXPECT_NE(run.err.find(one.string() + " has 1 audio track; --audio-tracks 5 names none"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(Names(home.path() / "out").empty());
}

// Subtitles asked for but not to be had: the file is not converted without them.
TEST(CliRobustness, aMatroskaFileWhoseTracksCannotBeReadFailsItsSubtitleStep)
{
    TempDir home;
    // A file the engine converts but the Matroska tools cannot read (NUT inside).
    ClipRecipe recipe;
    recipe.seconds = 1;
    recipe.width = 160;
    recipe.height = 120;
    recipe.audio_codec = "mp2";
    recipe.output_options = {"-f", "nut"};
    const auto film = MakeClip(home.path() / "film.mkv", recipe);
    const auto run = RunCommand(
        {Cli(), "-p", kFastProfile, "-o", home.file("out"), "--extract-subtitles", film.string()},
        Environment(home));
    EXPECT_EQ(run.exit_code, 1) << run.err;
    EXPECT_NE(run.err.find("film.mkv: its tracks could not be read"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
    EXPECT_TRUE(Names(home.path() / "out").empty());
}

// The library importer could not add the output: the batch says so and fails.
TEST(CliRobustness, aFailedPostProcessingCommandFailsTheRun)
{
    TempDir home;
    const auto song = ShortClip(home, "song.wav");
    // No library folder: ferrule says "Cannot Find iTunes" and adds nothing.
    const auto run = RunCommand({Cli(), "-p", "m4ac.ini:AAC Audio (M4A), add to library", "-o",
                                 home.file("out"), song.string()},
                                Environment(home));
    EXPECT_EQ(run.exit_code, 1) << run.err;
    EXPECT_EQ(run.out, home.file("out/song.m4a") + "\n");
    EXPECT_NE(
        run.err.find("song.m4a: converted, but the post-processing command failed (status 4)"),
        std::string::npos)
        << run.err;
    EXPECT_TRUE(Ffprobe(home.path() / "out/song.m4a").ok);
}

// A logout (SIGHUP) or `timeout` (SIGTERM) cancels as Ctrl+C does: the file being written goes.
TEST(CliRobustness, hangUpAndTerminateCancelLikeControlC)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 12;
    recipe.width = 480;
    recipe.height = 360;
    const auto clip = MakeClip(home.path() / "long.mp4", recipe);
    for (int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        const std::string out = home.file("out" + std::to_string(signal));
        bool signalled = false;
        const auto run = RunCommand(
            {Cli(), "-p", "ipadh264.ini:iPad Video H.264 (1024x768)", "-o", out, clip.string()},
            Environment(home), [&](const std::string &err, int pid) {
                if (!signalled && err.find("Completed:") != std::string::npos) {
                    ::kill(pid, signal);
                    signalled = true;
                }
            });
        ASSERT_TRUE(signalled) << run.err;
        EXPECT_EQ(run.exit_code, 128 + signal) << run.err;
        EXPECT_TRUE(run.out.empty());
        EXPECT_TRUE(Names(out).empty()) << *Names(out).begin();
    }
}

// A source cut short while it converts is read by the engine as if it ended there: the run must
// not report the shorter output as made.
TEST(CliRobustness, aSourceCutShortWhileItConvertsFails)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 12;
    recipe.width = 480;
    recipe.height = 360;
    const auto clip = MakeClip(home.path() / "long.mp4", recipe);
    const std::string out = home.file("out");
    bool cut = false;
    const auto run = RunCommand(
        {Cli(), "-p", "ipadh264.ini:iPad Video H.264 (1024x768)", "-o", out, clip.string()},
        Environment(home), [&](const std::string &err, int pid) {
            if (!cut && err.find("Completed:") != std::string::npos) {
                // Held still while the file is cut, so the cut lands inside the conversion.
                ::kill(pid, SIGSTOP);
                fs::resize_file(clip, fs::file_size(clip) / 3);
                ::kill(pid, SIGCONT);
                cut = true;
            }
        });
    ASSERT_TRUE(cut) << run.err;
    EXPECT_EQ(run.exit_code, 1) << run.err;
    EXPECT_NE(run.err.find("long.mp4: the file changed while it was converted"), std::string::npos)
        << run.err;
    EXPECT_TRUE(run.out.empty());
    EXPECT_TRUE(Names(out).empty());
}

// A folder scan takes the files whose extension is one the converter accepts, as a whole:
// ".a" is no ".avi", ".t" no ".ts".
TEST(CliRobustness, aFolderScanTakesOnlyMediaExtensions)
{
    TempDir home;
    const fs::path folder = home.path() / "mixed";
    fs::create_directories(folder);
    fs::rename(ShortClip(home, "clip.mp4"), folder / "clip.mp4");
    WriteFile(folder / "lib.a", "!<arch>\n");
    WriteFile(folder / "notes.t", "not media\n");
    const auto run = RunCommand(
        {Cli(), "-p", kFastProfile, "-o", home.file("out"), folder.string()}, Environment(home));
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, home.file("out/clip.mp4") + "\n");
}

// A profile file grows with every "Save as"; a profile saved past the first 5,120 bytes of
// section names is chosen and converts like the first.
TEST(CliRobustness, aProfileFarDownALongProfileFileCanBeChosen)
{
    TempDir home;
    const auto clip = ShortClip(home, "clip.avi");
    const std::string built_in = ReadFile(ProgramDir() / "ini/ipodmp4.ini");
    const std::string body = built_in.substr(built_in.find('\n') + 1);
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "[Saved profile with a long descriptive name " + std::to_string(i) + "]\n" + body;
    const fs::path file = WriteFile(home.path() / "saved.ini", text);
    const std::string up = "../../../../../../../../../../../../../..";
    const auto run = RunCommand({Cli(), "-p",
                                 up + file.string()
                                     + ":Saved profile with a long descriptive "
                                       "name 199",
                                 "-o", home.file("out"), clip.string()},
                                Environment(home));
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, home.file("out/clip.mp4") + "\n");
}

// Settings follow the base directory rules: a relative XDG_CONFIG_HOME is ignored (it would make
// the settings depend on the folder the program starts in), and without a usable home nothing is
// read or made in the current folder.
TEST(CliRobustness, settingsComeFromTheHomeNeverFromTheCurrentFolder)
{
    TempDir home;
    const auto clip = ShortClip(home, "clip.avi");
    const auto settings = [](const fs::path &folder, const std::string &output) {
        WriteFile(folder / "Brontwick/Pellumo.reg",
                  "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Brontwick\\Pellumo]\n"
                  "\"ConvertDir\"=\""
                      + output + "\"\n");
    };
    const fs::path here = home.path() / "here";
    settings(here / "rel/dir", home.file("wrong") + "/");
    settings(home.path() / "user/.config", home.file("right") + "/");
    const std::vector<std::string> environment
        = {"QUILLET_SETTINGS_DIR",    "HOME=" + home.file("user"),
           "XDG_CONFIG_HOME=rel/dir", "DISPLAY=",
           "WAYLAND_DISPLAY=",        "LANG=C"};
    const std::string in_here = "cd \"$0\" && exec \"$@\"";
    auto run
        = RunCommand({"sh", "-c", in_here, here.string(), Cli(), "-p", kFastProfile, clip.string()},
                     environment);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, home.file("right/clip.mp4") + "\n");

    // No home at all: an output folder named on the command line is all it needs, and the
    // current folder stays as it was.
    const fs::path bare = home.path() / "bare";
    fs::create_directories(bare);
    run = RunCommand({"sh", "-c", in_here, bare.string(), Cli(), "-p", kFastProfile, "-o",
                      home.file("named"), clip.string()},
                     {"QUILLET_SETTINGS_DIR", "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                      "DISPLAY=", "WAYLAND_DISPLAY=", "LANG=C"});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, home.file("named/clip.mp4") + "\n");
    EXPECT_TRUE(Names(bare).empty());
}
