// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/BatchStore.h"

#include "core/BatchFile.h"

#include "TaskFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillet;
using namespace std::chrono_literals;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Status = BatchStore::ReadResult::Status;

namespace {

/// A batch being gathered: sources that exist, in a folder of their own.
class Gathered
{
public:
    /// Adds a task for a new source file name (made with contents) and tells store.
    Task &Add(const std::string &name, BatchStore *store = nullptr,
              const std::string &contents = "source")
    {
        const std::string source = WriteFile(m_sources.path() / name, contents).string();
        const int index = m_list.Add(test::MakeProbedTask(source, m_outputs.file(name + ".m4v")));
        Task &task = *m_list.Get(index);
        if (store)
            store->TaskAdded(task);
        return task;
    }
    TaskList &List() { return m_list; }
    const TempDir &Sources() const { return m_sources; }
    const TempDir &State() const { return m_state; }

private:
    TempDir m_sources;
    TempDir m_outputs;
    TempDir m_state;
    TaskList m_list;
};

/// The kept file as this program reads it.
batch_file::Decoded Kept(const BatchStore &store)
{
    return batch_file::Decode(ReadFile(store.FilePath()));
}

/// Runs body in a child process and returns how the child ended (waitpid's status).
template<typename Body> int InChild(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

const BuiltInTexts kTexts;

} // namespace

TEST(BatchStore, manyChangesMakeFewWritesAndTheLastChangeIsAlwaysWritten)
{
    Gathered batch;
    auto now = std::chrono::steady_clock::time_point{} + 1h;
    BatchStore store(batch.List(), batch.State().path());
    store.SetClock([&] { return now; });
    ASSERT_EQ(store.Open(), BatchStore::OpenResult::Owned);
    ASSERT_EQ(store.Read(kTexts).status, Status::Nothing);

    for (int i = 0; i < 100; ++i)
        batch.Add("clip" + std::to_string(i) + ".mp4", &store);
    store.WaitUntilWritten();
    EXPECT_EQ(store.Figures().writes, 1u); // the first change, at once
    EXPECT_EQ(store.TimeUntilDue(), 1000ms);

    now += 999ms;
    store.Poll();
    store.WaitUntilWritten();
    EXPECT_EQ(store.Figures().writes, 1u);
    now += 1ms;
    store.Poll();
    store.WaitUntilWritten();
    EXPECT_EQ(store.Figures().writes, 2u);
    EXPECT_EQ(Kept(store).batch.tasks.size(), 100u);
    EXPECT_EQ(store.TimeUntilDue(), std::nullopt);

    // A change inside the interval is written at close, never lost.
    batch.List().Remove(0);
    store.NoteChange();
    store.Close();
    EXPECT_EQ(store.Figures().writes, 3u);
    EXPECT_EQ(Kept(store).batch.tasks.size(), 99u);
}

TEST(BatchStore, restoredTasksWhoseSourceWentOrChangedAreSkipped)
{
    Gathered before;
    {
        BatchStore store(before.List(), before.State().path());
        ASSERT_EQ(store.Open(), BatchStore::OpenResult::Owned);
        store.Read(kTexts);
        before.Add("same.mp4", &store);
        before.Add("edited.mp4", &store);
        before.Add("deleted.mp4", &store);
    }
    WriteFile(before.Sources().path() / "edited.mp4", "source, edited");
    std::filesystem::remove(before.Sources().path() / "deleted.mp4");

    TaskList list;
    BatchStore store(list, before.State().path());
    ASSERT_EQ(store.Open(), BatchStore::OpenResult::Owned);
    BatchStore::ReadResult kept = store.Read(kTexts);
    ASSERT_EQ(kept.status, Status::Kept);
    EXPECT_TRUE(OfferRestore(kept.batch));
    for (auto &task : store.Restore(std::move(kept.batch)))
        list.Add(std::move(task));

    ASSERT_EQ(list.Count(), 3);
    const std::pair<SourceCondition, ResumeStep> expected[] = {
        {SourceCondition::Unchanged, ResumeStep::Convert},
        {SourceCondition::Changed, ResumeStep::SkipSourceChanged},
        {SourceCondition::Gone, ResumeStep::SkipSourceGone},
    };
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(store.Facts(*list.Get(i)), nullptr);
        EXPECT_EQ(store.Facts(*list.Get(i))->condition, expected[i].first) << i;
        EXPECT_EQ(store.Resume(*list.Get(i)), expected[i].second) << i;
    }
}

TEST(BatchStore, aDamagedOrNewerFileIsSetAsideWithAMessageNeverTakenOrDeleted)
{
    struct Case
    {
        const char *what;
        std::string text;
        const char *suffix;
        const char *message_start;
    };
    std::string newer = batch_file::Encode({});
    newer.replace(newer.find("\"version\":1"), 11, "\"version\":7");
    const Case cases[] = {
        {"damaged", "{\"format\":\"quillet batch\",\"version\":1,\"tasks\":[{", ".damaged",
         "The task list kept from your last session cannot be read."},
        {"newer", newer, ".newer", "The task list kept from your last session was written by"},
    };
    for (const Case &c : cases) {
        TempDir state;
        TaskList list;
        BatchStore store(list, state.path());
        ASSERT_EQ(store.Open(), BatchStore::OpenResult::Owned);
        // A file set aside before is never replaced: the next one gets a number.
        WriteFile(state.path() / (std::string(BatchStore::kFileName) + c.suffix), "earlier");
        WriteFile(store.FilePath(), c.text);

        const BatchStore::ReadResult result = store.Read(kTexts);
        EXPECT_EQ(result.status, Status::SetAside) << c.what;
        EXPECT_TRUE(result.batch.tasks.empty()) << c.what;
        EXPECT_EQ(result.set_aside_path, store.FilePath().string() + c.suffix + ".1") << c.what;
        EXPECT_EQ(ReadFile(result.set_aside_path), c.text) << c.what;
        EXPECT_EQ(ReadFile(state.path() / (std::string(BatchStore::kFileName) + c.suffix)),
                  "earlier");
        EXPECT_EQ(result.message.rfind(c.message_start, 0), 0u) << result.message;
        EXPECT_NE(result.message.find(result.set_aside_path), std::string::npos) << c.what;

        // The session goes on and is kept.
        list.Add(std::make_unique<Task>());
        list.Get(0)->source_path = "/a.mp4";
        store.TaskAdded(*list.Get(0));
        store.Close();
        EXPECT_EQ(Kept(store).batch.tasks.size(), 1u) << c.what;
    }
}

TEST(BatchStore, theKeptFileIsNotReplacedBeforeTheUserHasAnswered)
{
    Gathered before;
    {
        BatchStore store(before.List(), before.State().path());
        store.Open();
        store.Read(kTexts);
        before.Add("a.mp4", &store);
        before.Add("b.mp4", &store);
    }
    const std::string kept_text = ReadFile(before.State().path() / BatchStore::kFileName);

    Gathered now;
    BatchStore store(now.List(), before.State().path());
    store.Open();
    BatchStore::ReadResult kept = store.Read(kTexts);
    ASSERT_EQ(kept.status, Status::Kept);
    now.Add("dropped on the window before answering.mp4", &store);
    store.WaitUntilWritten();
    EXPECT_EQ(ReadFile(store.FilePath()), kept_text);

    // Restored tasks still on their way into the list: a write now would lose them.
    std::vector<std::unique_ptr<Task>> restored = store.Restore(std::move(kept.batch));
    now.List().Add(std::move(restored[0]));
    store.NoteChange();
    store.WaitUntilWritten();
    EXPECT_EQ(ReadFile(store.FilePath()), kept_text);
    now.List().Add(std::move(restored[1]));
    store.Close();
    EXPECT_EQ(Kept(store).batch.tasks.size(), 3u);
}

TEST(BatchStore, aRunKilledMidBatchResumesWithoutMakingAnOutputTwice)
{
    // Killed while the third task's output was being written, or just after it got its name.
    for (const bool third_output_complete : {false, true}) {
        Gathered batch;
        for (int i = 0; i < 5; ++i)
            batch.Add("clip" + std::to_string(i) + ".mp4");
        const int status = InChild([&] {
            BatchStore store(batch.List(), batch.State().path());
            store.Open();
            store.Read(kTexts);
            store.RunStarted();
            for (int i = 0; i < 3; ++i) {
                Task &task = *batch.List().Get(i);
                store.TaskStarted(task, task.destination_path);
                store.WaitUntilWritten();
                if (i == 2 && !third_output_complete)
                    ::raise(SIGKILL);
                WriteFile(task.destination_path, "output " + std::to_string(i));
                if (i == 2)
                    ::raise(SIGKILL);
                store.TaskFinished(
                    task,
                    {task.source_path, task.destination_path, TaskResult::Status::Made, {}, 1});
            }
        });
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

        TaskList list;
        BatchStore store(list, batch.State().path());
        ASSERT_EQ(store.Open(), BatchStore::OpenResult::Owned); // the dead run's lock is gone
        BatchStore::ReadResult kept = store.Read(kTexts);
        ASSERT_EQ(kept.status, Status::Kept);
        EXPECT_EQ(kept.batch.phase, BatchPhase::Running);
        ASSERT_TRUE(OfferRestore(kept.batch));
        for (auto &task : store.Restore(std::move(kept.batch)))
            list.Add(std::move(task));
        ASSERT_EQ(list.Count(), 5);
        std::vector<ResumeStep> steps;
        for (const auto &task : list)
            steps.push_back(store.Resume(*task));
        const ResumeStep third = third_output_complete ? ResumeStep::Done : ResumeStep::Convert;
        EXPECT_EQ(steps,
                  (std::vector{ResumeStep::Done, ResumeStep::Done, third, ResumeStep::Convert,
                               ResumeStep::Convert}))
            << "third output complete: " << third_output_complete;
        if (third_output_complete) {
            EXPECT_EQ(store.Facts(*list.Get(2))->run.made->size_bytes, 8u);
        }
    }
}

TEST(BatchStore, aWriterKilledMidWriteLeavesTheOldFileThenTheNextWriteTheNew)
{
    Gathered batch;
    {
        BatchStore store(batch.List(), batch.State().path());
        store.Open();
        store.Read(kTexts);
        batch.Add("old.mp4", &store);
    }
    const std::string old_text = ReadFile(batch.State().path() / BatchStore::kFileName);
    for (int i = 0; i < 200; ++i)
        batch.Add("new" + std::to_string(i) + ".mp4");

    const auto write_all = [&](rlim_t limit_bytes) {
        return InChild([&] {
            BatchStore store(batch.List(), batch.State().path());
            store.Open();
            store.Read(kTexts);
            const rlimit no_core{0, 0};
            ::setrlimit(RLIMIT_CORE, &no_core);
            const rlimit file_size{limit_bytes, limit_bytes};
            ::setrlimit(RLIMIT_FSIZE, &file_size);
            store.Discard(); // writes the list of 201 tasks at once
            store.WaitUntilWritten();
        });
    };
    // The file-size limit kills the writer by SIGXFSZ in the middle of its write.
    const int killed = write_all(old_text.size() * 3);
    ASSERT_TRUE(WIFSIGNALED(killed) && WTERMSIG(killed) == SIGXFSZ);
    EXPECT_EQ(ReadFile(batch.State().path() / BatchStore::kFileName), old_text);
    std::vector<std::string> leftovers;
    for (const auto &entry : std::filesystem::directory_iterator(batch.State().path()))
        leftovers.push_back(entry.path().filename().string());
    EXPECT_EQ(leftovers.size(), 3u); // the file, its lock, the dead writer's temporary file

    const int finished = write_all(RLIM_INFINITY);
    ASSERT_TRUE(WIFEXITED(finished) && WEXITSTATUS(finished) == 0);
    const batch_file::Decoded now
        = batch_file::Decode(ReadFile(batch.State().path() / BatchStore::kFileName));
    EXPECT_EQ(now.batch.tasks.size(), 201u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(batch.State().path()), {}), 2);
}

TEST(BatchStore, aWriteThatFailsKeepsTheOldFileAndIsTriedAgain)
{
    Gathered batch;
    const int status = InChild([&] {
        auto now = std::chrono::steady_clock::time_point{} + 1h;
        BatchStore store(batch.List(), batch.State().path());
        store.SetClock([&] { return now; });
        store.Open();
        store.Read(kTexts);
        batch.Add("a.mp4", &store);
        store.WaitUntilWritten();
        const std::string old_text = ReadFile(store.FilePath());
        // A full disk, as the file-size limit makes one: writes fail with EFBIG.
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit file_size{old_text.size(), RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &file_size);
        now += 1s;
        batch.Add("b.mp4", &store);
        const bool failed = !store.WaitUntilWritten();
        const bool kept = ReadFile(store.FilePath()) == old_text;
        file_size.rlim_cur = RLIM_INFINITY;
        ::setrlimit(RLIMIT_FSIZE, &file_size);
        now += 1s;
        store.Poll();
        store.WaitUntilWritten();
        const bool retried = Kept(store).batch.tasks.size() == 2;
        // Which of them went wrong, one bit each.
        ::_exit((failed ? 0 : 1) | (kept ? 0 : 2) | (retried ? 0 : 4));
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no failure, 2: old file lost, 4: not tried again";
}

TEST(BatchStore, oneStoreAtATimeKeepsAFile)
{
    Gathered batch;
    BatchStore first(batch.List(), batch.State().path());
    ASSERT_EQ(first.Open(), BatchStore::OpenResult::Owned);
    first.Read(kTexts);
    batch.Add("a.mp4", &first);
    first.WaitUntilWritten();

    TaskList other;
    other.Add(std::make_unique<Task>());
    other.Get(0)->source_path = "/other.mp4";
    BatchStore second(other, batch.State().path());
    EXPECT_EQ(second.Open(), BatchStore::OpenResult::Busy);
    EXPECT_EQ(second.Read(kTexts).status, Status::Nothing);
    second.TaskAdded(*other.Get(0));
    // It keeps no file, yet a second Convert in its window does not make a made task again.
    const Task &made = *other.Get(0);
    WriteFile(batch.State().path() / "other.m4v", "made");
    second.TaskFinished(
        made, {made.source_path, batch.State().file("other.m4v"), TaskResult::Status::Made, {}, 1});
    EXPECT_EQ(second.Resume(made), ResumeStep::Done);
    second.Close();
    EXPECT_EQ(Kept(first).batch.tasks[0].task->source_path, batch.List().Get(0)->source_path);

    first.Close();
    BatchStore third(other, batch.State().path());
    EXPECT_EQ(third.Open(), BatchStore::OpenResult::Owned);
}

TEST(BatchStore, aSecondRunOfTheSameQueueMakesOnlyWhatIsNotDone)
{
    Gathered first_run;
    {
        BatchStore store(first_run.List(), first_run.State().path());
        store.Open();
        store.Read(kTexts);
        Task &a = first_run.Add("a.mp4", &store);
        first_run.Add("b.mp4", &store);
        store.RunStarted();
        store.TaskStarted(a, a.destination_path);
        WriteFile(a.destination_path, "made");
        store.TaskFinished(a, {a.source_path, a.destination_path, TaskResult::Status::Made, {}, 1});
        store.RunEnded(false); // cancelled before b
    }

    // The same inputs again, in another order, one more, one with other settings.
    TaskList list;
    const auto add = [&](const std::string &name) -> Task & {
        const std::string source = (first_run.Sources().path() / name).string();
        if (!std::filesystem::exists(source))
            WriteFile(source, "source");
        // A new run names its output anew: the first run's output holds the plain name.
        return *list.Get(list.Add(test::MakeProbedTask(source, source + " (1).m4v")));
    };
    add("b.mp4");
    add("a.mp4");
    add("c.mp4");
    add("a.mp4").settings.nVideoCustomBitRate = 99;
    BatchStore store(list, first_run.State().path());
    store.Open();
    BatchStore::ReadResult kept = store.Read(kTexts);
    ASSERT_EQ(kept.status, Status::Kept);
    store.Adopt(std::move(kept.batch));
    std::vector<ResumeStep> steps;
    for (const auto &task : list)
        steps.push_back(store.Resume(*task));
    EXPECT_EQ(steps,
              (std::vector{ResumeStep::Convert, ResumeStep::Done, ResumeStep::Convert,
                           ResumeStep::Convert}));
}

TEST(BatchStore, aMadeTaskIsDoneUntilTheUserAsksOrItsSettingsChange)
{
    Gathered batch;
    BatchStore store(batch.List(), batch.State().path());
    store.Open();
    store.Read(kTexts);
    Task &task = batch.Add("a.mp4", &store);
    EXPECT_EQ(store.Resume(task), ResumeStep::Convert);
    store.TaskStarted(task, task.destination_path);
    WriteFile(task.destination_path, "made");
    store.TaskFinished(task,
                       {task.source_path, task.destination_path,
                        TaskResult::Status::PostProcessFailed, "status 1", 1});
    EXPECT_EQ(store.Resume(task), ResumeStep::Done);

    store.ConvertAgain(task);
    EXPECT_EQ(store.Resume(task), ResumeStep::Convert);

    store.TaskFinished(task,
                       {task.source_path, task.destination_path, TaskResult::Status::Made, {}, 1});
    task.settings.nAudioVolume = 512;
    EXPECT_EQ(store.Resume(task), ResumeStep::Convert);
}
