// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/BatchWriter.h"
#include "core/KeptBatch.h"
#include "core/ResumeRule.h"
#include "core/TaskList.h"
#include "core/Texts.h"
#include "platform/FileLock.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

/**
 * The kept batch: the task list written to a file in a folder the caller gives as it changes
 * (the window: $XDG_STATE_HOME/quillet/batch.json; quillet-cli --queue: the file it is given),
 * read back at start-up, and the history that lets Convert resume it: a batch survives a kill,
 * a crash, a logout or a restart, and no finished output is ever made twice.
 *
 * Who calls what, and when (all on the one thread that owns the task list):
 *
 *   start-up    BatchStore store(tasks, folder); Open()
 *                 Busy: another program keeps the file; the store writes nothing (the window
 *                 runs without keeping, quillet-cli says kBusy and stops)
 *               Read(texts)
 *                 Kept: the window asks (kRestoreOffer) when OfferRestore(batch):
 *                   Restore: Restore(batch), then adds the tasks it returns to the list
 *                   Discard, or not offered: Discard()
 *                 quillet-cli --queue builds its tasks from its arguments, then Adopt(batch)
 *                 Until Kept is answered nothing is written: the kept file is never replaced
 *                 before the user has chosen.
 *                 SetAside: the window shows message (the file was damaged or newer)
 *   the list    TaskAdded(task), TaskRemoved(task), NoteChange() for any other change (a task's
 *   changes     settings, trims, subtitle, tracks, destination; the order): at most once a
 *               second a snapshot (a copy) goes to the writer thread, which encodes it and
 *               replaces the file; the caller does not wait
 *   a timer     Poll() (the window's timer, the CLI's event pump) writes a change that waited
 *               for its second; TimeUntilDue() says when it is due
 *   rows        Facts(task): the source's condition, the made output, the last result;
 *               ConvertAgain(task): the user's "Convert again" clears the done mark
 *   Convert     RunStarted()
 *   (driver)    for each task: Resume(task): Convert, Done, SkipSourceGone, SkipSourceChanged
 *                 Skip...: TaskSkipped(task, result); Done: reported, nothing recorded
 *                 claim the output's final name, then TaskStarted(task, final name): written
 *                 at once
 *                 ... the engine writes the output under its temporary name ...
 *                 WaitUntilWritten() before OutputClaim::Commit, so the claim is on disk
 *                 before the output can have its final name
 *                 TaskFinished(task, result)
 *               a merged run is one unit: Resume(task, merged recipe) for each task,
 *                 TasksStarted(tasks, final name, merged recipe), TaskFinished(.., recipe)
 *               RunEnded(completed)
 *   closing     Close() before the list is cleared at exit: the list is written as it is
 *
 * What the store knows of a task beyond the task itself (the source's size and time when it was
 * added, what runs made of it) is held here, by the task's address: TaskRemoved forgets it, and
 * tasks no longer in the list are forgotten at the next write. It is kept in memory whether or
 * not the file could be opened, so Convert after a Cancel or a finished run resumes the same way
 * in a window that keeps no file.
 */
namespace quillet {

/// What the store knows of one task beyond the task itself.
struct TaskFacts
{
    std::string source_path; ///< the source these facts are about
    /// The source when the task was added; nothing when it could not be reached then.
    std::optional<platform::FileStamp> source_stamp;
    /// The stamp comes from an earlier session (restored or adopted): the source is checked
    /// again before it is converted. Tasks added in this session are converted as they are.
    bool kept_source = false;
    SourceCondition condition = SourceCondition::Unchanged;
    RunFacts run;
};

class BatchStore
{
public:
    /// The file the window keeps its batch in, inside the user's state folder.
    static constexpr const char *kFileName = "batch.json";
    /// The largest kept file read: about 30,000 tasks, far beyond any batch, yet a wrong file
    /// cannot fill the memory.
    static constexpr std::size_t kMaxFileBytes = std::size_t{96} * 1024 * 1024;

    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    /**
     * @param tasks the list whose tasks are kept; it must outlive the store
     * @param folder where the file goes; missing folders are made (mode 0700)
     * @param file_name the file's name inside folder
     */
    BatchStore(const TaskList &tasks, std::filesystem::path folder,
               const std::string &file_name = kFileName);
    /// Close()s.
    ~BatchStore();
    BatchStore(const BatchStore &) = delete;
    BatchStore &operator=(const BatchStore &) = delete;

    /// The steady clock by default; for tests.
    void SetClock(Clock clock) { m_clock = std::move(clock); }
    /// At most one write per interval (1 s by default), the last change always written.
    void SetInterval(std::chrono::milliseconds interval) { m_interval = interval; }

    enum class OpenResult {
        Owned, ///< this store keeps the file
        Busy, ///< another store (another program, or another run) keeps it
        Failed, ///< the folder cannot be made or the lock taken (Error() says why)
    };
    /// Takes the file for this store: a lock beside it, held until Close(). Removes what writers
    /// killed while writing left behind.
    OpenResult Open();

    struct ReadResult
    {
        enum class Status {
            Nothing, ///< no kept file (or the store does not own it)
            Kept, ///< batch holds the kept tasks; answer with Restore, Adopt or Discard
            SetAside, ///< the file was damaged or newer and was renamed: show message
        };
        Status status = Status::Nothing;
        KeptBatch batch;
        std::string message; ///< SetAside: what happened, in the user's language
        std::string set_aside_path; ///< SetAside: where the file went (empty if it could not)
        std::string reason; ///< SetAside: what was wrong with it, for the log
    };
    /// Reads the kept file and validates it whole. A file of a newer format or a damaged one (or
    /// one that cannot be read: not a regular file, too large, unreadable) is never taken in
    /// part: it is renamed beside itself (".newer", ".damaged", numbered when taken) and never
    /// deleted; when it cannot be renamed, nothing is written over it in this session.
    ReadResult Read(const Texts &texts);

    /// Takes the kept tasks back: returns them, in order, for the caller to add to the list.
    /// Sources gone or changed since are marked so (Facts). Writes resume once every returned
    /// task is in the list (or was removed again).
    std::vector<std::unique_ptr<Task>> Restore(KeptBatch batch);
    /// For a list built anew (quillet-cli --queue): each task of the list takes the history of
    /// the first kept task with the same recipe, in order; the other kept tasks are dropped.
    void Adopt(KeptBatch batch);
    /// Drops the kept tasks; the list as it is now is written at once.
    void Discard();

    /// A task joined the list: its source's size and time are taken now.
    void TaskAdded(const Task &task);
    /// A task is leaving the list: what is known of it is forgotten.
    void TaskRemoved(const Task &task);
    /// Anything else changed: a task's settings, trims, subtitle, tracks, destination, the order.
    void NoteChange();
    /// Writes a change that waited for its interval; call it from a timer or an event pump.
    void Poll();
    /// How long until a waiting change is due to be written; nothing when none waits.
    std::optional<std::chrono::milliseconds> TimeUntilDue() const;

    /// The resume rule for task (ResumeRule.h), with its history; a task found Done through the
    /// output its killed run had claimed gets its done mark.
    ResumeStep Resume(const Task &task);
    /// The same for a task of a merged run: recipe is the merged output's
    /// (batch_file::MergedRecipeOf), as TasksStarted and TaskFinished recorded it.
    ResumeStep Resume(const Task &task, const std::string &recipe);
    /// What the store knows of task; null for a task it does not know.
    const TaskFacts *Facts(const Task &task) const;
    /// The user's "Convert again": the task's done mark and run history go.
    void ConvertAgain(const Task &task);

    void RunStarted();
    /// The run is converting task into the claimed final name (empty when none is claimed yet).
    /// Written at once, not after the interval.
    void TaskStarted(const Task &task, const std::string &claimed_output);
    /// The tasks of a merged run, converting into one claimed output made from recipe: one
    /// write for all of them.
    void TasksStarted(const std::vector<const Task *> &tasks, const std::string &claimed_output,
                      const std::string &recipe);
    /// Waits until what was handed to the writer is on disk.
    /// @return false when the last write failed (Error() says why)
    bool WaitUntilWritten();
    void TaskFinished(const Task &task, const TaskResult &result);
    /// The same for a task of a merged run, whose output was made from recipe.
    void TaskFinished(const Task &task, const TaskResult &result, const std::string &recipe);
    /// The run did not convert task (its source is gone or changed): result is what it reports.
    /// Its done mark (and a killed run's claim) stays, for the day its source is back as it was.
    void TaskSkipped(const Task &task, const TaskResult &result);
    /// completed: the run went through to its end (not cancelled, not refused).
    void RunEnded(bool completed);

    /// Writes the list as it is, waits for the disk, stops writing and gives the file up.
    void Close();

    const std::filesystem::path &FilePath() const { return m_file; }
    /// Why Open failed, or why the last write failed.
    std::string Error() const;
    BatchWriter::Statistics Figures() const { return m_writer.Figures(); }

private:
    TaskFacts &FactsFor(const Task &task);
    static TaskFacts FreshFacts(const Task &task);
    bool WritesAllowed() const;
    void Schedule(bool at_once);
    void WriteNow(std::chrono::steady_clock::time_point now);
    std::optional<KeptBatch> Snapshot();
    std::string SetAside(std::string_view suffix);

    const TaskList &m_tasks;
    const std::filesystem::path m_folder;
    const std::filesystem::path m_file;
    platform::FileLock m_lock;
    std::string m_error;

    bool m_owned = false; ///< Open() took the file
    bool m_answer_due = false; ///< Read() found a batch; nothing is written until it is answered
    bool m_keep_off = false; ///< a file that could not be set aside must not be written over
    bool m_closed = false;

    std::unordered_map<const Task *, TaskFacts> m_facts;
    std::unordered_set<const Task *> m_restoring; ///< restored tasks not yet seen in the list
    BatchPhase m_phase = BatchPhase::Idle;

    Clock m_clock;
    std::chrono::milliseconds m_interval{1000};
    bool m_dirty = false;
    std::chrono::steady_clock::time_point m_next_write{};
    uint64_t m_failures_seen = 0;

    BatchWriter m_writer;
};

} // namespace quillet
