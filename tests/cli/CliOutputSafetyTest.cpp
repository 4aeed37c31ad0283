// SPDX-License-Identifier: GPL-3.0-or-later
// Outputs that survive what happens to the programs writing them: runs killed at any moment, runs
// at the same time into one folder, and runs larger than a fixed vector would hold.
#include "Command.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include "platform/ChildProcess.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <random>
#include <set>
#include <thread>

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

} // namespace

// A logout, a crash or `kill -9` at any moment of a conversion never leaves a broken file under
// an output's name; SIGTERM and SIGHUP leave nothing but finished outputs.
TEST(CliOutputSafety, killedAtRandomMomentsLeavesNoBrokenOutput)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 3;
    const fs::path clip = MakeClip(home.path() / "clip.avi", recipe);
    const fs::path out = home.path() / "out";
    const std::vector<std::string> argv
        = {Cli(), "-p", kFastProfile, "-o", out.string(), clip.string()};

    // How long one conversion takes here, so that the kills fall inside one.
    const auto start = std::chrono::steady_clock::now();
    ChildProcess timed(argv, Quiet(home));
    ASSERT_EQ(timed.Wait(), 0);
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    fs::remove_all(out);

    std::random_device seed_source;
    const unsigned seed = seed_source();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> moment(0, whole.count() * 11 / 10);
    int caught_writing = 0;
    for (int round = 0; round < 20; ++round) {
        ChildProcess run(argv, Quiet(home));
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        for (const std::string &name : Names(out))
            caught_writing += name.starts_with(".clip") && name.find(".quillet-") != name.npos
                && !name.ends_with("-claim");
        run.Kill();
        ASSERT_TRUE(OnlyWholeOutputs(out, 3.0)) << "round " << round;
    }
    // The kills did fall while outputs were being written.
    EXPECT_GE(caught_writing, 3);

    // The next run names its output after the finished ones and removes what the killed runs
    // left under the name it takes.
    ChildProcess next(argv, Quiet(home));
    ASSERT_EQ(next.Wait(), 0);
    EXPECT_TRUE(OnlyWholeOutputs(out, 3.0));

    for (int signal : {SIGTERM, SIGHUP, SIGTERM, SIGHUP, SIGTERM}) {
        const fs::path polite = home.path() / ("polite" + std::to_string(signal));
        std::vector<std::string> args = argv;
        args[4] = polite.string();
        for (int round = 0; round < 2; ++round) {
            ChildProcess run(args, Quiet(home));
            std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
            ::kill(run.Pid(), signal);
            const int status = run.Wait();
            EXPECT_TRUE(status == 0 || status == 128 + signal) << status;
        }
        for (const std::string &name : Names(polite))
            EXPECT_FALSE(name.starts_with('.')) << name << " was left by signal " << signal;
        EXPECT_TRUE(OnlyWholeOutputs(polite, 3.0));
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
