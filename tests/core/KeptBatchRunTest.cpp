// SPDX-License-Identifier: GPL-3.0-or-later
// The driver with a kept batch: what a run converts, records and reports when some of its tasks
// were made, killed, changed or asked for again.
#include "core/BatchFile.h"
#include "core/BatchStore.h"
#include "core/ConversionDriver.h"
#include "core/MediaProbe.h"
#include "core/ProfileApplier.h"
#include "core/ProfileFile.h"

#include "DriverFixtures.h"
#include "MediaFixtures.h"
#include "TaskFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

using namespace quillet;
using namespace quillet::test;
using Status = TaskResult::Status;

namespace {

const BuiltInTexts kTexts;

std::set<std::string> Names(const std::filesystem::path &folder)
{
    std::set<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

/// The sources the engine was asked to read, in order.
std::vector<std::string> SourcesRead(const FakeEngine &engine)
{
    std::vector<std::string> sources;
    for (const auto &args : engine.seen)
        for (std::size_t i = 0; i + 1 < args.size(); ++i)
            if (args[i] == "-i" || args[i] == "-ivs")
                sources.push_back(std::filesystem::path(args[i + 1]).stem().string());
    return sources;
}

/// A task for NAME.avi of in (a real file, so its stamp can be kept) into NAME.mp4 of out.
Task &AddSource(TaskList &tasks, const TempDir &in, const TempDir &out, const std::string &name)
{
    const std::string source = WriteFile(in.path() / (name + ".avi"), "source " + name).string();
    auto task = MakeProbedTask(source, out.file(name + ".mp4"));
    task->duration_s = 5;
    task->settings.PostProcess = "\"./ferrule\" \"%out\"";
    return *tasks.Get(tasks.Add(std::move(task)));
}

struct Expected
{
    const char *task;
    Status status;
    std::string reason; ///< the whole reason, or "" for none
};

void ExpectResults(const std::vector<TaskResult> &results, const std::vector<Expected> &expected)
{
    ASSERT_EQ(results.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].task);
        EXPECT_EQ(std::filesystem::path(results[i].source).stem(), expected[i].task);
        EXPECT_EQ(StatusName(results[i].status), StatusName(expected[i].status));
        EXPECT_EQ(results[i].reason, expected[i].reason);
        EXPECT_EQ(results[i].made_earlier, expected[i].reason.starts_with("already made"));
    }
}

} // namespace

// A run killed while it converts the fifth task (in the engine, or once the output has its name
// and its post-processing runs), then restored: made tasks are reported, not made again; the
// killed task is converted again from the start, or found made; sources that went or changed are
// skipped and listed; "Convert again" makes a second output; nothing gets a " (1)" copy otherwise.
TEST(KeptBatchDriver, aKilledBatchResumesWithoutMakingAnythingTwice)
{
    enum class Kill { InTheEngine, InPostProcessing };
    for (const Kill kill : {Kill::InTheEngine, Kill::InPostProcessing}) {
        const bool output_named = kill == Kill::InPostProcessing;
        SCOPED_TRACE(output_named ? "killed in post-processing" : "killed in the engine");
        TempDir in, out, state;
        const char *const names[] = {"made", "again", "changed", "gone", "killed", "fresh"};
        const pid_t child = ::fork();
        if (child == 0) {
            TaskList tasks;
            for (const char *name : names)
                AddSource(tasks, in, out, name);
            BatchStore store(tasks, state.path());
            store.Open();
            store.Read(kTexts);
            RecordingObserver observer;
            FakeEngine engine;
            engine.during_run = [&](const std::string &output) {
                if (!output_named && output.find("killed") != std::string::npos)
                    ::raise(SIGKILL);
            };
            ConversionDriver driver(observer);
            driver.SetEngine(std::ref(engine));
            driver.SetPostProcessRunner([&](const std::string &output, std::string_view,
                                            const std::string &, const StopRequest &) {
                if (output_named && output == out.file("killed.mp4"))
                    ::raise(SIGKILL);
                return PostProcessResult{true, 0, {}, {}};
            });
            RunRequest request;
            request.split_choice = "No split";
            request.output_folder = out.path().string() + "/";
            request.kept_batch = &store;
            driver.Convert(tasks, request);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

        WriteFile(in.path() / "changed.avi", "source changed, edited");
        std::filesystem::remove(in.path() / "gone.avi");
        DriverFixture f;
        BatchStore store(f.tasks, state.path());
        ASSERT_EQ(store.Open(), BatchStore::OpenResult::Owned);
        BatchStore::ReadResult kept = store.Read(kTexts);
        ASSERT_EQ(kept.status, BatchStore::ReadResult::Status::Kept);
        for (auto &task : store.Restore(std::move(kept.batch)))
            f.tasks.Add(std::move(task));
        store.ConvertAgain(*f.tasks.Get(1));
        f.request.output_folder = out.path().string() + "/";
        f.request.kept_batch = &store;
        RunOutcome outcome = f.driver.Convert(f.tasks, f.request);

        const std::string killed_made = "already made: " + out.file("killed.mp4");
        ExpectResults(
            outcome.results,
            {{"made", Status::Made, "already made: " + out.file("made.mp4")},
             {"again", Status::Made, ""},
             {"changed", Status::Failed, "the source file has changed since it was added"},
             {"gone", Status::Failed, "the source file is gone"},
             {"killed", Status::Made, output_named ? killed_made : ""},
             {"fresh", Status::Made, ""}});
        EXPECT_EQ(SourcesRead(f.engine),
                  output_named ? (std::vector<std::string>{"again", "fresh"})
                               : (std::vector<std::string>{"again", "killed", "fresh"}));
        EXPECT_EQ(outcome.results[1].output, out.file("again (1).mp4"));
        ASSERT_EQ(outcome.failures.size(), 2u);
        ASSERT_EQ(f.observer.told.size(), 1u);
        EXPECT_NE(f.observer.told[0].find("gone.avi: the source file is gone"), std::string::npos);
        // The killed run's hidden files went with the next claim.
        EXPECT_EQ(Names(out.path()),
                  (std::set<std::string>{"made.mp4", "again.mp4", "again (1).mp4", "changed.mp4",
                                         "gone.mp4", "killed.mp4", "fresh.mp4"}));

        // Convert once more: nothing is left to make.
        const int runs = f.engine.runs;
        outcome = f.driver.Convert(f.tasks, f.request);
        EXPECT_EQ(f.engine.runs, runs);
        EXPECT_EQ(outcome.results[1].reason, "already made: " + out.file("again (1).mp4"));
        store.Close();
        EXPECT_EQ(batch_file::Decode(ReadFile(store.FilePath())).batch.phase, BatchPhase::Finished);
    }
}

// In one session (a window that keeps its list in memory only, its file held by another window):
// each outcome is recorded as what it was, and the next Convert, after a Cancel or a finished
// run, makes only what is not done. Without a kept batch every task is made again.
TEST(KeptBatchDriver, convertAfterACancelOrAFinishedRunMakesOnlyWhatIsNotDone)
{
    DriverFixture f;
    TempDir state;
    BatchStore store(f.tasks, state.path()); // never opened: nothing is written
    f.request.kept_batch = &store;
    for (const char *name : {"made", "broken", "refused", "stopped", "unstarted"})
        f.AddTask(name);
    f.engine.fail_for["/in/broken.avi"] = DOLMAR_FAILED;
    f.post_process_status[f.out.file("refused.mp4")] = 4;
    f.driver.SetPostProcessRunner([&](const std::string &output, std::string_view,
                                      const std::string &, const StopRequest &stop) {
        const bool cancel = output == f.out.file("stopped.mp4");
        if (cancel)
            f.driver.RequestCancel();
        return PostProcessResult{
            true, output == f.out.file("refused.mp4") ? 4 : 0, {}, {}, cancel && stop()};
    });
    RunOutcome outcome = f.driver.Convert(f.tasks, f.request);
    ASSERT_TRUE(outcome.cancelled);
    const Status recorded[]
        = {Status::Made, Status::Failed, Status::PostProcessFailed, Status::Cancelled};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const TaskFacts *facts = store.Facts(*f.tasks.Get(i));
        ASSERT_TRUE(facts && facts->run.result);
        EXPECT_EQ(StatusName(facts->run.result->status), StatusName(recorded[i]));
        // The output stopped in its post-processing is whole and stays: it counts as made.
        EXPECT_EQ(facts->run.made.has_value(), recorded[i] != Status::Failed);
    }

    f.engine.fail_for.clear();
    outcome = f.driver.Convert(f.tasks, f.request);
    ExpectResults(outcome.results,
                  {{"made", Status::Made, "already made: " + f.out.file("made.mp4")},
                   {"broken", Status::Made, ""},
                   {"refused", Status::Made, "already made: " + f.out.file("refused.mp4")},
                   {"stopped", Status::Made, "already made: " + f.out.file("stopped.mp4")},
                   {"unstarted", Status::Made, ""}});
    EXPECT_EQ(
        SourcesRead(f.engine),
        (std::vector<std::string>{"made", "broken", "refused", "stopped", "broken", "unstarted"}));
    EXPECT_EQ(f.tasks.Get(0)->destination_path, f.out.file("made.mp4"));

    // After a finished run nothing is made again, and no window pops up for what was not.
    f.observer.told.clear();
    outcome = f.driver.Convert(f.tasks, f.request);
    EXPECT_EQ(f.engine.runs, 6);
    EXPECT_TRUE(outcome.outputs.empty());
    EXPECT_TRUE(f.observer.told.empty());
    EXPECT_EQ(Names(f.out.path()).size(), 5u);

    f.request.kept_batch = nullptr;
    outcome = f.driver.Convert(f.tasks, f.request);
    EXPECT_EQ(f.engine.runs, 11);
    EXPECT_EQ(outcome.outputs.front(), f.out.file("made (1).mp4"));
}

// A merged run is one unit: done only as the same merge, and a task made into a merged output is
// not done for a run of its own.
TEST(KeptBatchDriver, aMergedRunIsDoneOrMadeAgainAsAWhole)
{
    DriverFixture f;
    TempDir state;
    BatchStore store(f.tasks, state.path());
    f.request.kept_batch = &store;
    f.request.merge = true;
    f.request.current_profile.TargetType = "mp4";
    f.AddTask("a");
    f.AddTask("b");
    const RunOutcome first = f.driver.Convert(f.tasks, f.request);
    ASSERT_EQ(first.outputs.size(), 1u);

    RunOutcome again = f.driver.Convert(f.tasks, f.request);
    EXPECT_EQ(f.engine.runs, 1);
    ExpectResults(again.results,
                  {{"a", Status::Made, "already made: " + first.outputs[0]},
                   {"b", Status::Made, "already made: " + first.outputs[0]}});

    // Another profile makes another output.
    f.request.current_profile.nAudioVolume = 512;
    f.driver.Convert(f.tasks, f.request);
    EXPECT_EQ(f.engine.runs, 2);
    f.driver.Convert(f.tasks, f.request);
    EXPECT_EQ(f.engine.runs, 2);

    store.ConvertAgain(*f.tasks.Get(1));
    f.driver.Convert(f.tasks, f.request);
    EXPECT_EQ(f.engine.runs, 3);
    EXPECT_EQ(SourcesRead(f.engine).size(), 6u) << "every task goes into the merge again";

    f.request.merge = false;
    f.driver.Convert(f.tasks, f.request);
    EXPECT_EQ(SourcesRead(f.engine).size(), 8u);
}

// The real engine: Cancel during the second of three clips, then Convert: the other two are
// made, each once and complete, and the first is not made again.
TEST(KeptBatchConversion, convertAfterCancelMakesTheRestOnceEach)
{
    TempDir dir;
    const std::string out = dir.file("out") + "/";
    std::filesystem::create_directories(out);
    const std::filesystem::path profile_file
        = std::filesystem::path(QUILLET_SOURCE_DIR) / "resources/ini/ipodmp4.ini";
    ProfileRecord profile;
    ProfileFile::Read("iPod Video MPEG-4 (320x240)", profile, profile_file);
    profile.profile_path = profile_file.string();

    BuiltInTexts texts;
    RecordingObserver observer;
    TaskList tasks;
    ClipRecipe recipe;
    recipe.seconds = 1;
    recipe.width = 160;
    recipe.height = 120;
    const OutputPlace place{out, [](const std::string &p) { return std::filesystem::exists(p); }};
    for (const char *name : {"one", "two", "three"}) {
        const auto clip = MakeClip(dir.path() / (std::string(name) + ".avi"), recipe);
        auto task = CreateTask(clip.string(), 0, 0, 0, texts, observer);
        ApplyProfile(*task, profile, ApplyPath::AddFile, place);
        tasks.Add(std::move(task));
    }
    BatchStore store(tasks, dir.path() / "state");
    ASSERT_EQ(store.Open(), BatchStore::OpenResult::Owned);
    ConversionDriver driver(observer, texts);
    RunRequest request;
    request.split_choice = "No split";
    request.output_folder = out;
    request.current_profile = profile;
    request.kept_batch = &store;
    observer.on_pump = [&] {
        if (observer.finished.size() == 1)
            driver.RequestCancel();
    };
    RunOutcome outcome = driver.Convert(tasks, request);
    ASSERT_TRUE(outcome.cancelled);
    ASSERT_EQ(outcome.outputs, (std::vector<std::string>{out + "one.mp4"}));

    observer.on_pump = nullptr;
    outcome = driver.Convert(tasks, request);
    EXPECT_EQ(outcome.outputs, (std::vector<std::string>{out + "two.mp4", out + "three.mp4"}));
    EXPECT_EQ(outcome.results[0].reason, "already made: " + out + "one.mp4");
    EXPECT_EQ(Names(out), (std::set<std::string>{"one.mp4", "two.mp4", "three.mp4"}));
    for (const auto &name : Names(out)) {
        const ProbedFile probed = Ffprobe(out + name);
        EXPECT_TRUE(probed.ok && probed.first("video")) << name;
        EXPECT_NEAR(probed.duration, 1.0, 0.15) << name;
    }
}
