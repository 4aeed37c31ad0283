// SPDX-License-Identifier: GPL-3.0-or-later
// Outputs that survive what happens to the programs writing them: runs killed at any moment, runs
// at the same time into one folder, and runs larger than a fixed vector would hold.
#include "Command.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include "platform/ChildProcess.h"
#include "platform/PrivateProfile.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>

#include <cstdlib>

#include <set>

using namespace quillet::test;
using quillet::platform::ChildOptions;
using quillet::platform::ChildProcess;
using quillet::platform::ChildStream;
namespace fs = std::filesystem;

namespace {

constexpr const char *kFastProfile = "ipodmp4.ini:iPod Video MPEG-4 (320x240)";

std::string Cli()
{
    return (ProgramDir() / "quillet-cli").string();
}

ChildOptions Quiet(const TempDir &home, ChildStream output = ChildStream::Discard)
{
    ChildOptions options;
    options.input = ChildStream::Discard;
    options.output = output;
    options.errors = ChildStream::Discard;
    options.environment = {"QUILLET_SETTINGS_DIR=" + home.file("settings"),
                           "DISPLAY=", "WAYLAND_DISPLAY=", "LANG=C", "LANGUAGE="};
    return options;
}

std::set<std::string> Names(const fs::path &folder)
{
    std::set<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.insert(it->path().filename().string());
    return names;
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

/// Whether every file of folder under an output's name (not a hidden one) is a whole clip.
::testing::AssertionResult OnlyWholeOutputs(const fs::path &folder, double seconds)
{
    for (const std::string &name : Names(folder)) {
        if (name.starts_with('.'))
            continue;
        const ProbedFile probed = Ffprobe(folder / name);
        if (!probed.ok || probed.count("video") != 1 || std::abs(probed.duration - seconds) > 0.3)
            return ::testing::AssertionFailure()
                << name << " is no whole output (" << probed.duration << " s)";
    }
    return ::testing::AssertionSuccess();
}

/// The state letter of process pid (R, S, T, Z, ...), or 0 once it is gone.
char StateOf(int pid)
{
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const auto state = stat.rfind(") ");
    return state == std::string::npos || state + 2 >= stat.size() ? '\0' : stat[state + 2];
}

enum class Stage { NotYet, Unfinished, Finished };

/**
 * Holds the run still (SIGSTOP) and says how far its output is: claimed and unfinished means a
 * hidden temporary file in out (with something written into it, when written is asked for) and
 * no finished output. The run stays stopped.
 */
Stage HeldAt(int pid, const fs::path &out, bool written)
{
    ::kill(pid, SIGSTOP);
    for (char state = StateOf(pid); state != 'T' && state != 'Z' && state != 0;
         state = StateOf(pid))
        ::poll(nullptr, 0, 1);
    Stage stage = Stage::NotYet;
    for (const std::string &name : Names(out)) {
        if (!name.starts_with('.'))
            return Stage::Finished;
        std::error_code ec;
        if (!name.ends_with("-claim") && (!written || fs::file_size(out / name, ec) > 0))
            stage = Stage::Unfinished;
    }
    return stage;
}

} // namespace

// A logout, a crash or `kill -9` at any moment of a conversion never leaves a broken file under
// an output's name, and what a killed run leaves hidden is cleared by the next run into the
// folder, whatever it converts; SIGTERM and SIGHUP leave nothing but finished outputs. The
// moments are conditions, not times: the run is held still (SIGSTOP) from the moment it logs the
// engine's command line, and signalled once its output is claimed, or once the engine has
// written into it.
TEST(CliOutputSafety, killedAtEveryMomentLeavesNoBrokenOutput)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 3;
    const fs::path clip = MakeClip(home.path() / "clip.avi", recipe);
    const fs::path other = MakeClip(home.path() / "other.avi", recipe);
    for (const int signal : {SIGKILL, SIGTERM, SIGHUP}) {
        for (const bool written : {false, true}) {
            SCOPED_TRACE(std::string(written ? "written" : "claimed") + ", signal "
                         + std::to_string(signal));
            const fs::path out
                = home.path() / ("out" + std::to_string(signal) + "-" + std::to_string(written));
            bool watched = false;
            bool signalled = false;
            const auto run
                = RunCommand({Cli(), "-p", kFastProfile, "-o", out.string(), clip.string()},
                             Quiet(home).environment, [&](const std::string &err, int pid) {
                                 if (watched || err.find("ffmain ") == std::string::npos)
                                     return;
                                 watched = true;
                                 for (;;) {
                                     const Stage stage = HeldAt(pid, out, written);
                                     signalled
                                         = stage == Stage::Unfinished && ::kill(pid, signal) == 0;
                                     ::kill(pid, SIGCONT);
                                     const char state = StateOf(pid);
                                     if (stage != Stage::NotYet || state == 0 || state == 'Z')
                                         break;
                                     ::poll(nullptr, 0, 1);
                                 }
                             });
            // The signal came while the output was claimed and unfinished.
            ASSERT_TRUE(signalled) << run.err;
            EXPECT_EQ(run.exit_code, 128 + signal) << run.err;
            EXPECT_TRUE(Names(out).empty() || signal == SIGKILL) << *Names(out).begin();
            EXPECT_TRUE(OnlyWholeOutputs(out, 3.0));
            if (signal != SIGKILL)
                continue;
            // A run of another name into the folder clears what the killed one left.
            const auto next
                = RunCommand({Cli(), "-p", kFastProfile, "-o", out.string(), other.string()},
                             Quiet(home).environment);
            ASSERT_EQ(next.exit_code, 0) << next.err;
            EXPECT_EQ(Names(out), (std::set<std::string>{"other.mp4"}));
        }
    }
}

// Four runs converting the same file into the same folder at once each get a name of their own.
TEST(CliOutputSafety, fourRunsAtOnceMakeFourWholeOutputs)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 1;
    recipe.width = 160;
    recipe.height = 120;
    const fs::path clip = MakeClip(home.path() / "clip.avi", recipe);
    const std::set<std::string> expected
        = {"clip.mp4", "clip (1).mp4", "clip (2).mp4", "clip (3).mp4"};
    for (int round = 0; round < 20; ++round) {
        const fs::path out = home.path() / ("out" + std::to_string(round));
        std::vector<ChildProcess> runs;
        runs.reserve(4);
        for (int i = 0; i < 4; ++i)
            runs.emplace_back(std::vector<std::string>{Cli(), "-p", kFastProfile, "-o",
                                                       out.string(), clip.string()},
                              Quiet(home, ChildStream::Pipe));
        std::set<std::string> reported;
        for (auto &run : runs) {
            const auto said = run.ReadAll(4096);
            ASSERT_EQ(run.Wait(), 0) << "round " << round;
            ASSERT_TRUE(said);
            for (const auto &line : Lines(*said))
                reported.insert(fs::path(line).filename().string());
        }
        ASSERT_EQ(reported, expected) << "round " << round;
        ASSERT_EQ(Names(out), expected) << "round " << round;
        ASSERT_TRUE(OnlyWholeOutputs(out, 1.0)) << "round " << round;
    }
}

// Fifty camera clips joined into one, and a file deep in a folder tree, convert.
TEST(CliOutputSafety, fiftyClipsJoinAndLongPathsConvert)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 0.4;
    recipe.width = 160;
    recipe.height = 120;
    const fs::path clip = MakeClip(home.path() / "clip.mp4", recipe);
    std::vector<std::string> argv
        = {Cli(), "-p", kFastProfile, "-o", home.file("joined"), "--merge"};
    for (int i = 0; i < 50; ++i) {
        const fs::path copy = home.path() / "card" / ("MVI_" + std::to_string(1000 + i) + ".mp4");
        fs::create_directories(copy.parent_path());
        fs::copy_file(clip, copy);
        argv.push_back(copy.string());
    }
    const auto joined = RunCommand(argv, Quiet(home).environment);
    ASSERT_EQ(joined.exit_code, 0) << joined.err;
    const ProbedFile probed = Ffprobe(Lines(joined.out).at(0));
    EXPECT_TRUE(probed.ok);
    EXPECT_NEAR(probed.duration, 50 * 0.4, 1.0);

    // Folder and file names within what the file system takes, the path far past 255 bytes.
    const fs::path deep = home.path() / std::string(120, 'f') / std::string(120, 'g')
        / (std::string(200, 'h') + ".mp4");
    fs::create_directories(deep.parent_path());
    fs::copy_file(clip, deep);
    const fs::path out = home.path() / std::string(120, 'o') / std::string(120, 'p');
    ASSERT_GT(deep.string().size(), 255u);
    const auto run = RunCommand({Cli(), "-p", kFastProfile, "-o", out.string(), deep.string()},
                                Quiet(home).environment);
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, (out / (std::string(200, 'h') + ".mp4")).string() + "\n");
    EXPECT_TRUE(Ffprobe(out / (std::string(200, 'h') + ".mp4")).ok);
}

namespace {

/// The fast profile, copied beside home with command as its post-processing command; the -p
/// argument that names it (the profile file is named from the program's ini folder).
std::string FastProfileRunning(const TempDir &home, const std::string &command)
{
    const fs::path file = home.path() / "post.ini";
    fs::copy_file(ProgramDir() / "ini/ipodmp4.ini", file, fs::copy_options::overwrite_existing);
    const std::string section = "iPod Video MPEG-4 (320x240)";
    EXPECT_TRUE(quillet::platform::WriteProfileString(section, "PostProcess", command, file));
    return "../../../../../../../../../../../../../.." + file.string() + ":" + section;
}

/// Whether the process pid has ended (gone, or a zombie nobody reaped yet).
bool Ended(int pid)
{
    const char state = StateOf(pid);
    return state == 0 || state == 'Z';
}

/// Waits until pid has ended; false when it still runs after a minute.
bool AwaitEnd(int pid)
{
    for (int i = 0; i < 6000 && !Ended(pid); ++i)
        ::poll(nullptr, 0, 10);
    return Ended(pid);
}

// Prints "started PID", then answers SIGTERM with "term PID" but goes on; it would end by itself
// after eight seconds ("end PID"). Its output must not reach quillet-cli's results. (The log of
// the command line holds the words with "$$", never with the number.)
constexpr const char *kStubbornCommand
    = "\"sh\" \"-c\" \"trap 'echo term $$' TERM; echo started $$; sleep 8 >/dev/null 2>&1 & "
      "while kill -0 $! 2>/dev/null; do wait $!; done; echo end $$\" \"%out\"";

int PidAfter(const std::string &err, const std::string &word)
{
    const auto at = err.find(word + " ");
    return at == std::string::npos ? -1 : std::atoi(err.c_str() + at + word.size() + 1);
}

/// Whether the command printed word with its pid.
bool Said(const std::string &err, const std::string &word)
{
    const int pid = PidAfter(err, "started");
    return pid > 0 && err.find(word + " " + std::to_string(pid)) != std::string::npos;
}

} // namespace

// Ctrl+C while a post-processing command runs stops the command (SIGTERM, then SIGKILL) and the
// batch, as Cancel does; the command's output goes to standard error, so --json stays readable.
TEST(CliOutputSafety, anInterruptStopsAPostProcessingCommandAndTheBatch)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 1;
    const fs::path first = MakeClip(home.path() / "first.avi", recipe);
    const fs::path second = MakeClip(home.path() / "second.avi", recipe);
    const fs::path out = home.path() / "out";
    bool interrupted = false;
    // One at a time: the second is not begun while the first is post-processed.
    const auto run = RunCommand({Cli(), "--json", "--jobs", "1", "-p",
                                 FastProfileRunning(home, kStubbornCommand), "-o", out.string(),
                                 first.string(), second.string()},
                                Quiet(home).environment, [&](const std::string &err, int pid) {
                                    if (!interrupted && PidAfter(err, "started") > 0) {
                                        ::kill(pid, SIGINT);
                                        interrupted = true;
                                    }
                                });
    ASSERT_TRUE(interrupted) << run.err;
    EXPECT_EQ(run.exit_code, 130) << run.err;
    EXPECT_TRUE(Said(run.err, "term")) << run.err;
    EXPECT_FALSE(Said(run.err, "end")) << "the command ran to its end";
    EXPECT_TRUE(Ended(PidAfter(run.err, "started")));
    // Standard output holds the two results only: the first output stays, whole.
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 2u) << run.out;
    EXPECT_EQ(lines[0].rfind("{\"source\":", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("\"output\":\"" + (out / "first.mp4").string() + "\""),
              std::string::npos);
    EXPECT_NE(lines[1].find("\"status\":\"cancelled\""), std::string::npos) << lines[1];
    EXPECT_EQ(Names(out), (std::set<std::string>{"first.mp4"}));
    EXPECT_TRUE(OnlyWholeOutputs(out, 1.0));
}

// A second Ctrl+C ends quillet-cli at once: it takes the command with it and leaves no claim.
TEST(CliOutputSafety, aSecondInterruptLeavesNoCommandRunningAndNoClaim)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 1;
    const fs::path clip = MakeClip(home.path() / "clip.avi", recipe);
    const fs::path out = home.path() / "out";
    int interrupts = 0;
    const auto run = RunCommand({Cli(), "-p", FastProfileRunning(home, kStubbornCommand), "-o",
                                 out.string(), clip.string()},
                                Quiet(home).environment, [&](const std::string &err, int pid) {
                                    // The second comes once the first has reached the command.
                                    const bool started = PidAfter(err, "started") > 0;
                                    const bool termed = Said(err, "term");
                                    if ((interrupts == 0 && started) || (interrupts == 1 && termed))
                                        interrupts += ::kill(pid, SIGINT) == 0;
                                });
    ASSERT_EQ(interrupts, 2) << run.err;
    EXPECT_EQ(run.exit_code, 128 + SIGINT);
    EXPECT_TRUE(AwaitEnd(PidAfter(run.err, "started"))) << "the command runs on its own";
    EXPECT_FALSE(Said(run.err, "end"));
    EXPECT_EQ(Names(out), (std::set<std::string>{"clip.mp4"}));
}
