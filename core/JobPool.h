// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <dolmar.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

/**
 * The job pool: a batch's conversions, up to N at once, each one engine run (ffmain) on a worker
 * thread of its own, while the caller's thread, the one that owns the front end, the task list
 * and the outputs, does everything else.
 *
 *   caller's thread (Run)                               worker thread, one per running job
 *     cores(i)   how much of the machine job i keeps
 *                busy; decides whether it starts now
 *     start(i)   claims its output, builds its
 *                arguments, in list order ------------> engine(argc, argv, report)
 *     waits for a job to end, at most 40 ms at a time      report: the position and the
 *     pump(positions)  the front end's events, Cancel         messages into the job's slot;
 *                      (true: stop every job) ---------->     -1 once the pool is stopping
 *     ended(i, run)    as each engine run returns <-------- returns
 *                      (in the order they end): commit
 *                      or abandon the output
 *     finish(i, run)   in list order: post-processing,
 *                      the result, the failure list
 *
 * The order a user sees is the list's: start is called in list order and finish too, whatever
 * order the runs end in; a job that ended waits for those before it to be finished. start(i+1)
 * comes after finish(i) when only one job may run, so a run whose next task depends on the
 * outputs before it (the disc running total, a disc budget, a merged run) runs as it always did.
 *
 * With one job at a time the engine runs on the caller's thread itself, exactly as a single
 * conversion always did: pump is then called on each of its reports.
 *
 * Stopping: when pump returns true, every running engine is answered -1 on its next report (the
 * engine reports every 40 ms and stops within half a second), nothing more is started, and
 * finish is still called for every index, with NotStarted for the jobs that never ran.
 */
namespace quillet {

/// One conversion as the caller made it for the pool.
struct PoolJob
{
    std::vector<std::string> args; ///< the engine's argument vector, "ffmain" first
    int route_flag = 0; ///< EnableDshow's flag for this run (the flag is per thread)
};

/// What became of one index of the batch.
struct JobRun
{
    enum class Kind {
        Ran, ///< the engine ran it; result and message say how it ended
        Skipped, ///< start gave no job (the caller already knows why)
        NotStarted, ///< the pool was stopped before its turn
    };
    Kind kind = Kind::NotStarted;
    int result = DOLMAR_FAILED; ///< the engine's return
    std::string message; ///< the last message the engine reported, if any
};

/// Where a running job is.
struct JobPosition
{
    std::size_t index = 0;
    double position_s = 0; ///< the engine's last reported output position
};

class JobPool
{
public:
    using EngineFn = std::function<int(int, char **, ProgressCallback)>;

    /// What the pool asks of its caller; every call comes on the thread that called Run.
    struct Hooks
    {
        /// How many of the machine's processors job index keeps busy (JobWeight.h); absent:
        /// one each. Only used when the pool chooses how many jobs run at once.
        std::function<double(std::size_t index)> cores;
        /// Makes job index ready to run, or gives nothing when it is not to be converted.
        std::function<std::optional<PoolJob>(std::size_t index)> start;
        /// Lets the front end handle its events; true asks every job to stop. Called at least
        /// every 40 ms while a job runs (while no other hook is running).
        std::function<bool(const std::vector<JobPosition> &running)> pump;
        /// Job index's engine run returned; optional.
        std::function<void(std::size_t index, const JobRun &run)> ended;
        /// What became of index, in list order, once for every index.
        std::function<void(std::size_t index, const JobRun &run)> finish;
    };

    /// How many jobs may run at once.
    struct Limit
    {
        /// A number the user chose, or 0: as many as the machine's processors take, counted
        /// with Hooks::cores.
        int jobs = 0;
        int machine_cores = 1; ///< the processors this program may use (AvailableCores())
    };

    JobPool(EngineFn engine, Limit limit);

    /**
     * Runs indexes 0 .. count-1 and returns when every one has been finished.
     * @return true when pump asked to stop
     */
    bool Run(std::size_t count, const Hooks &hooks);

    /// Whether this limit runs one job at a time (on the caller's thread).
    static bool OneAtATime(const Limit &limit);

private:
    bool RunHere(std::size_t count, const Hooks &hooks);
    bool RunOnWorkers(std::size_t count, const Hooks &hooks);

    EngineFn m_engine;
    Limit m_limit;
};

} // namespace quillet
