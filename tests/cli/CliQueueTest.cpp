// SPDX-License-Identifier: GPL-3.0-or-later
// quillet-cli --queue: a batch taken up again after a kill, a queue that another run holds, a
// queue file that cannot be read.
#include "core/BatchStore.h"

#include "Command.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>

#include <set>

using namespace quillet::test;
namespace fs = std::filesystem;

namespace {

constexpr const char *kFastProfile = "ipodmp4.ini:iPod Video MPEG-4 (320x240)";

std::vector<std::string> Environment(const TempDir &home)
{
    return {"QUILLET_SETTINGS_DIR=" + home.file("settings"),
            "DISPLAY=", "WAYLAND_DISPLAY=", "LANG=C", "LANGUAGE="};
}

/// quillet-cli with the fast profile, the queue and the output folder of home, then files.
std::vector<std::string> QueueRun(const TempDir &home, const std::vector<fs::path> &files)
{
    std::vector<std::string> argv = {(ProgramDir() / "quillet-cli").string(),
                                     "-p",
                                     kFastProfile,
                                     "-o",
                                     home.file("out"),
                                     "--queue",
                                     home.file("queue.json")};
    for (const auto &file : files)
        argv.push_back(file.string());
    return argv;
}

fs::path Clip(const TempDir &home, const std::string &name, double seconds = 1)
{
    ClipRecipe recipe;
    recipe.seconds = seconds;
    recipe.width = 160;
    recipe.height = 120;
    return MakeClip(home.path() / name, recipe);
}

std::set<std::string> Names(const fs::path &folder)
{
    std::set<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

/// The state letter of process pid (R, S, T, Z, ...), or 0 once it is gone.
char StateOf(int pid)
{
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const auto state = stat.rfind(") ");
    return state == std::string::npos || state + 2 >= stat.size() ? '\0' : stat[state + 2];
}

enum class Stage { NotYet, Writing, Named };

/// Holds the run still (SIGSTOP; it stays stopped) and says how far the output name in out is:
/// its hidden temporary file has something in it, or the output has its name.
Stage HeldAt(int pid, const fs::path &out, const std::string &name)
{
    ::kill(pid, SIGSTOP);
    for (char state = StateOf(pid); state != 'T' && state != 'Z' && state != 0;
         state = StateOf(pid))
        ::poll(nullptr, 0, 1);
    const std::string stem = fs::path(name).stem().string();
    Stage stage = Stage::NotYet;
    std::error_code ec;
    for (const std::string &file : Names(out)) {
        if (file == name)
            return Stage::Named;
        if (file.starts_with("." + stem + ".quillet-") && fs::file_size(out / file, ec) > 0)
            stage = Stage::Writing;
    }
    return stage;
}

} // namespace

// Killed during the third of five: the next run makes the other three, once each, and complete;
// a source changed after that is reported, not converted.
TEST(CliQueue, aRunKilledMidBatchIsTakenUpWithoutMakingAnythingTwice)
{
    TempDir home;
    std::vector<fs::path> clips;
    for (int i = 1; i <= 5; ++i)
        clips.push_back(Clip(home, "clip" + std::to_string(i) + ".avi", i == 3 ? 3 : 1));
    // Held still from the moment the third conversion is logged, and killed while the engine
    // writes its output: a condition, not a time.
    bool watched = false;
    bool killed = false;
    auto run = RunCommand(QueueRun(home, clips), Environment(home),
                          [&](const std::string &err, int pid) {
                              if (watched || err.find(clips[2].string() + " ") == std::string::npos)
                                  return;
                              watched = true;
                              for (;;) {
                                  const Stage stage = HeldAt(pid, home.path() / "out", "clip3.mp4");
                                  killed = stage == Stage::Writing && ::kill(pid, SIGKILL) == 0;
                                  ::kill(pid, SIGCONT);
                                  const char state = StateOf(pid);
                                  if (stage != Stage::NotYet || state == 0 || state == 'Z')
                                      break;
                                  ::poll(nullptr, 0, 1);
                              }
                          });
    ASSERT_TRUE(killed) << run.err;
    ASSERT_EQ(run.exit_code, 128 + SIGKILL);
    ASSERT_EQ(run.out, home.file("out/clip1.mp4") + "\n" + home.file("out/clip2.mp4") + "\n");

    run = RunCommand(QueueRun(home, clips), Environment(home));
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out,
              home.file("out/clip3.mp4") + "\n" + home.file("out/clip4.mp4") + "\n"
                  + home.file("out/clip5.mp4") + "\n");
    EXPECT_NE(run.err.find("clip1.avi: already made: " + home.file("out/clip1.mp4")),
              std::string::npos)
        << run.err;
    // The killed run's claim and half-made file went too.
    EXPECT_EQ(
        Names(home.path() / "out"),
        (std::set<std::string>{"clip1.mp4", "clip2.mp4", "clip3.mp4", "clip4.mp4", "clip5.mp4"}));
    for (int i = 1; i <= 5; ++i) {
        const ProbedFile probed = Ffprobe(home.path() / ("out/clip" + std::to_string(i) + ".mp4"));
        EXPECT_TRUE(probed.ok && probed.first("video") && probed.first("audio")) << i;
        EXPECT_NEAR(probed.duration, i == 3 ? 3 : 1, 0.15) << i;
    }

    fs::last_write_time(clips[0], fs::last_write_time(clips[0]) + std::chrono::seconds(5));
    run = RunCommand(QueueRun(home, clips), Environment(home));
    EXPECT_EQ(run.exit_code, 1) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_NE(run.err.find("clip1.avi: the source file has changed since it was added"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Names(home.path() / "out").size(), 5u);
}

// One run at a time keeps a queue: the second is turned away before it probes or converts.
TEST(CliQueue, aSecondRunWithTheSameQueueIsTurnedAway)
{
    TempDir home;
    const fs::path clip = Clip(home, "clip.avi");
    quillet::TaskList none;
    quillet::BatchStore holder(none, home.path(), "queue.json");
    ASSERT_EQ(holder.Open(), quillet::BatchStore::OpenResult::Owned);

    const auto run = RunCommand(QueueRun(home, {clip}), Environment(home));
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_EQ(run.err,
              "quillet-cli: " + home.file("queue.json")
                  + " is in use by another run of the "
                    "program.\n");
    EXPECT_TRUE(Names(home.path() / "out").empty());
}

// A queue file that cannot be read is moved aside, never overwritten, and the run goes on with a
// new queue; a queue that names a folder is refused, not moved.
TEST(CliQueue, anUnreadableQueueIsSetAsideAndAFolderRefused)
{
    TempDir home;
    const fs::path clip = Clip(home, "clip.avi");
    WriteFile(home.path() / "queue.json", "{\"format\": \"quillet batch\", \"version\": 1, \"ta");

    auto run = RunCommand(QueueRun(home, {clip}), Environment(home));
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_NE(run.err.find("quillet-cli: The task list kept from your last session cannot be "
                           "read. It was set aside as "
                           + home.file("queue.json.damaged") + ".\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(ReadFile(home.path() / "queue.json.damaged"),
              "{\"format\": \"quillet batch\", \"version\": 1, \"ta");
    EXPECT_EQ(run.out, home.file("out/clip.mp4") + "\n");
    EXPECT_NE(ReadFile(home.path() / "queue.json").find("\"phase\":\"finished\""),
              std::string::npos);

    fs::create_directory(home.path() / "folder");
    auto argv = QueueRun(home, {clip});
    argv[6] = home.file("folder");
    run = RunCommand(argv, Environment(home));
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_NE(run.err.find("is not a regular file"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_directory(home.path() / "folder"));
}

// Extracting a kept task's subtitles again would give them new " (N)" names, the task another
// recipe, and its finished output a second copy: a second run takes them over.
TEST(CliQueue, extractedSubtitlesAreTakenOverNotExtractedAgain)
{
    TempDir home;
    const fs::path clip = Clip(home, "clip.mkv");
    WriteFile(home.path() / "words.srt", "1\n00:00:00,000 --> 00:00:01,000\nWORDS\n");
    const std::string source = home.file("film.mkv");
    const auto merged
        = RunCommand({"mkvmerge", "-q", "-o", source, clip.string(), home.file("words.srt")});
    ASSERT_LE(merged.exit_code, 1) << merged.err; // 1 means warnings only
    auto argv = QueueRun(home, {source});
    argv.insert(argv.begin() + 1, "--extract-subtitles");

    auto run = RunCommand(argv, Environment(home));
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const std::set<std::string> made = Names(home.path() / "out");
    EXPECT_EQ(made, (std::set<std::string>{"film.mp4", "film_0.srt"}));

    run = RunCommand(argv, Environment(home));
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_EQ(Names(home.path() / "out"), made);
}
