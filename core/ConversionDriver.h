// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/JobPool.h"
#include "core/PostProcessRunner.h"
#include "core/ProfileRecord.h"
#include "core/ResumeRule.h"
#include "core/RunObserver.h"
#include "core/RunTexts.h"
#include "core/TaskList.h"
#include "core/TaskResult.h"
#include "core/TimeLeftEstimator.h"
#include "texts/Texts.h"

#include <dolmar.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

/**
 * The conversion driver runs a batch: it checks the batch against the chosen disc size, then
 * converts every task into its own output (or all of them into one merged output) through one
 * synchronous engine run each, runs each profile's post-processing command on what was made, and
 * finally shows the last output. The engine's progress reports keep the front end alive
 * (RunObserver::PumpEvents) and carry Cancel back into the engine.
 *
 * Who talks to whom during Convert():
 *
 *   front end (main window, quillet-cli)
 *     |  Convert(tasks, RunRequest)                 ^  RunObserver: Tell, SetConverting,
 *     v                                             |  ShowProgress, PumpEvents, ShowOutput
 *   ConversionDriver ------------------------------'
 *     |-- DiscSizeFits, MergeCheck       refuse the batch before any engine run
 *     |-- ArgumentBuilder               one argument vector per task (or one merged vector)
 *     |-- JobPool                       up to RunRequest::simultaneous_jobs engine runs at once
 *     |     '-- engine (ffmain)         one synchronous run per output, each on a worker thread
 *     |                                 (on this thread when one runs at a time); the pool
 *     |                                 pumps the front end's events every 40 ms, answers Cancel,
 *     |                                 and hands every job's end back to this thread
 *     |-- TimeLeftEstimator             the batch's percentage and time left (ShowRunProgress)
 *     |-- post-process runner           the profile's command on each finished output
 *     |-- BatchStore (when the front end keeps its batch: RunRequest::kept_batch)
 *     |                                 asked which tasks to convert (the resume rule), told
 *     |                                 of each start before its output can get its name, and
 *     |                                 of what became of each task
 *     '-- Texts                         the run's own messages in the user's language
 *                                       (core/RunTexts.h, core/BatchTexts.h)
 *
 * Every output is written under a hidden temporary name beside its final name, which is claimed
 * first (platform::OutputClaim), so two runs at once (two quillet-cli, or the window and one)
 * never write the same file, and a run that is killed leaves no partial file under a final name.
 * The claimed name may be a " (N)" name later than the one the task showed when it was added; the
 * task's output path then becomes it.
 *
 * Several tasks may convert at once. Outputs are claimed in the list's order, each output gets its
 * name as soon as its run ends, and everything a user sees after a run (post-processing, the
 * finished output, its result, the failure list) comes in the list's order, as one at a time. A
 * batch whose tasks depend on the outputs before them (a disc-family batch counts them toward the
 * disc) and a merged run convert one at a time.
 *
 * A run that is cancelled stops at once: every output being written is deleted (also when Cancel
 * came as the engine finished it) and nothing after it starts; a post-processing command that
 * runs is stopped, and its output, which is whole, stays, as does an output another job finished
 * before the Cancel (neither is post-processed; its result says cancelled, with the output). A run
 * that fails is reported and deleted, and the batch goes on; a post-processing command that fails
 * is reported the same way. A profile value no conversion can use fails its tasks before anything
 * is claimed, and a source that was cut short, removed or rewritten while it was read fails its
 * output, which is deleted. The failures are listed in one message at the end.
 *
 * With a kept batch, a run converts only what is not done: a task whose output an earlier run
 * made (in this session, or one that was killed) is reported as already made, a kept task whose
 * source is gone or changed is skipped and listed with the failures, and a task whose run was
 * killed is converted again from the start. A merged run is one unit: done only when every task
 * was made into the same merged output. Without a kept batch every task is converted.
 */
namespace quillet::platform {
class OutputClaim;
}

namespace quillet::sizing {
class RunBudget;
struct TaskPlan;
} // namespace quillet::sizing

namespace quillet {

class BatchStore;

/// What the front end decides for one run.
struct RunRequest
{
    std::string split_choice; ///< the split list's selected entry
    int custom_split_mb = 4000;
    std::string output_folder; ///< ends with '/'
    std::string program_folder; ///< for "./" in post-processing commands
    bool merge = false; ///< "Merge into one file"
    ProfileRecord current_profile; ///< the main window's current profile
    double total_estimated_mb = 0; ///< the tasks' estimated sizes together
    /// Where the batch is kept between runs and sessions; null when nobody keeps it (then every
    /// task is converted). It must keep the tasks of the list given to Convert.
    BatchStore *kept_batch = nullptr;
    /// How many conversions run at once ("Simultaneous conversions", quillet-cli --jobs): 0 lets
    /// the driver choose from the processors and what each task's encoder keeps busy
    /// (JobWeight.h), which is what the front ends offer by default; 1 converts one at a time,
    /// as a caller that does not choose has always had it. A disc-family batch and a merged run
    /// always convert one at a time.
    int simultaneous_jobs = 1;
    /// The tasks this run converts (the list menu's Convert on the rows chosen); empty: every
    /// task. The others are neither converted nor recorded, and their results say nothing.
    std::vector<const Task *> only;
};

/// One task that could not be converted, and why.
struct RunFailure
{
    std::string source;
    std::string reason;
};

/// What a run did.
struct RunOutcome
{
    bool started = false; ///< false when the run was refused before any conversion
    bool cancelled = false;
    std::vector<std::string> outputs; ///< finished outputs, in order
    std::vector<RunFailure> failures;
    std::string burn_type; ///< BurnType of the run's first output
    /// What became of each task, in the list's order (every task of a merged run shares the
    /// merged output's result); empty when the run was refused.
    std::vector<TaskResult> results;
};

class ConversionDriver
{
public:
    using EngineFn = std::function<int(int, char **, ProgressCallback)>;
    /// Runs a post-processing command; stop is asked while it runs and says when to end it.
    using PostProcessFn = std::function<PostProcessResult(
        const std::string &output, std::string_view command, const std::string &program_folder,
        const StopRequest &stop)>;
    using TickFn = std::function<uint32_t()>;

    /// The message shown when the estimate exceeds the chosen disc: a fixed English text by
    /// design (a string resource, not a language key), like the merge check's three.
    static constexpr const char *kDiscTooSmall
        = "The calculated output file size is larger than selected media size.\nYou can make "
          "some changes in profiles, media type or media file(s). ";

    /// A driver whose messages are the built-in English texts.
    explicit ConversionDriver(RunObserver &observer);
    /// texts: where the run's own messages come from (the language table); it must outlive
    /// the driver.
    ConversionDriver(RunObserver &observer, const Texts &texts);

    /// Replaces the engine (the library's ffmain by default); for tests.
    void SetEngine(EngineFn engine) { m_engine = std::move(engine); }
    void SetPostProcessRunner(PostProcessFn run) { m_post_process = std::move(run); }
    void SetTickSource(TickFn tick) { m_tick = std::move(tick); }

    /// The Convert command. Does nothing while a run is going on.
    RunOutcome Convert(TaskList &tasks, const RunRequest &request);

    /// Asks the running batch to stop (the Cancel button, Ctrl+C).
    void RequestCancel() { m_cancel = true; }
    bool Converting() const { return m_converting; }
    /// Whether every task of the last single-output run had the same profile file.
    bool SameProfile() const { return m_same_profile; }

    /// The disc-size check of a run: true when the estimate fits the chosen disc.
    bool DiscSizeFits(const RunRequest &request) const;

private:
    struct Conversion;
    using Conversions = std::vector<std::unique_ptr<Conversion>>;
    bool MergeCheck(const TaskList &tasks);
    void RunSingle(TaskList &tasks, const RunRequest &request, RunOutcome &outcome);
    void RunMerged(TaskList &tasks, const RunRequest &request, RunOutcome &outcome);
    /**
     * Runs the conversions of a batch through the job pool, with its progress and time left.
     * @param timed every index as the time-left estimate sees it (its cores decide how many run
     *        at once)
     * @param jobs JobPool::Limit::jobs
     * @param start makes conversions[index] and gives true, or gives false when the index is not
     *        converted; called in list order
     * @param finish what became of index (its conversion, when it ran, is in conversions); in
     *        list order, once for every index
     */
    void RunConversions(Conversions &conversions, std::vector<TimedTask> timed, int jobs,
                        const std::function<bool(std::size_t index)> &start,
                        const std::function<void(std::size_t index, JobRun::Kind kind)> &finish);
    /// Logs a conversion's command line, shows its output, notes its sources before it runs.
    void Announce(Conversion &conversion);
    /// What an engine run that ended made: its output named, or a failure, or nothing (Cancel).
    void Conclude(Conversion &conversion, const JobRun &run);
    void ShowBatchProgress(TimeLeftEstimator &estimate, const Conversions &conversions,
                           const std::vector<JobPosition> &running);
    /// Fills result for an output that was made: made, cancelled when Cancel stopped its
    /// post-processing, or its post-processing failed when Finish listed a failure after
    /// failures_before.
    static bool SameProfile(const TaskList &tasks);
    /// Gives a conversion its planned rate, and two passes where the plan asks for them.
    void ApplyPlan(Conversion &conversion, std::size_t index, const sizing::TaskPlan &plan);
    /// Asks for two passes, their statistics in a temporary folder of the conversion's own;
    /// false when no folder could be made (then it is made in one pass).
    bool UseTwoPasses(Conversion &conversion);
    /**
     * Tells the budget of a made output's size and encodes it again, lower, into its temporary
     * file for as long as the budget asks. size becomes the output's size.
     * @return false when an encode failed (reason says why) or was cancelled
     */
    bool KeepToBudget(Conversion &conversion, int64_t &size, std::string &reason);
    /// Fills a failed result's cut facts when its output was stopped at its size limit.
    static void TellCut(const Conversion &conversion, TaskResult &result);
    static void SetMadeResult(TaskResult &result, const std::string &output,
                              const RunOutcome &outcome, std::size_t failures_before);
    double SecondsSince(uint32_t started_ms) const;
    void Finish(const std::string &output, const std::string &burn_type, std::string_view command,
                const RunRequest &request, RunOutcome &outcome);
    /// The text of key in the user's language; a format when it holds conversions.
    std::string Text(const run_texts::RunText &text) const;
    /// The same for a text of the kept batch.
    std::string KeptText(const run_texts::RunText &text) const;
    /// What the resume rule's step says of a task that is not converted: made, with the output
    /// an earlier run made, for Done; failed, with why, for a skip. Nothing for Convert.
    std::optional<TaskResult> NotConverted(const Task &task, ResumeStep step) const;
    /// Tells the kept batch (if any) what became of a task the run tried to convert.
    void Record(const Task &task, const TaskResult &result) const;

    RunObserver &m_observer;
    const Texts &m_texts;
    BatchStore *m_kept = nullptr; ///< the running request's kept_batch
    sizing::RunBudget *m_budget = nullptr; ///< the running request's sizes
    EngineFn m_engine;
    PostProcessFn m_post_process;
    TickFn m_tick;

    bool m_converting = false;
    bool m_cancel = false; ///< set from the front end's event pump, read after each pump
    bool m_same_profile = true;
    uint32_t m_last_report = 0;
};

} // namespace quillet
