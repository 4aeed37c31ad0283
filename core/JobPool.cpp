// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/JobPool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace quillet {

namespace {

// The engine waits for its caller's thread only to make callbacks, every 40 ms; the caller waits
// no longer than that for a job to end, so its front end is served as often as a single run's.
constexpr auto kPumpInterval = std::chrono::milliseconds(40);

/// One running job: what its engine run reports, read by the caller's thread.
struct JobSlot
{
    std::size_t index = 0;
    std::atomic<double> position_s{0};
    /// Written by the run's own thread only; read by the caller once the run has ended.
    std::string message;
    /// The pool's stop flag (worker threads), or the caller's pump (a run on the caller's
    /// thread, which pumps on every report).
    const std::atomic<bool> *stop = nullptr;
    std::function<bool()> pump_here;

    // Guarded by the pool's mutex.
    bool done = false;
    int result = DOLMAR_FAILED;

    std::thread thread;
    double cores = 1;
};

// The engine's callback carries no context: a run finds its slot by the thread it reports on,
// which is the thread that called ffmain.
thread_local JobSlot *g_slot = nullptr;

int ReportToSlot(const char *message, double position)
{
    JobSlot *slot = g_slot;
    if (!slot)
        return 0;
    if (position < 0 && position > -2) {
        // Kept for the end of the run, where a failure is listed with it.
        if (message && *message)
            slot->message = message;
    }
    if (position <= -0.0001)
        return 0;
    slot->position_s.store(position, std::memory_order_relaxed);
    if (slot->pump_here)
        return slot->pump_here() ? -1 : 0;
    return slot->stop->load(std::memory_order_relaxed) ? -1 : 0;
}

/// Calls the engine on this thread for slot, with the route flag this thread's run needs.
int CallEngine(const JobPool::EngineFn &engine, JobSlot &slot, std::vector<std::string> args,
               int route_flag)
{
    std::vector<char *> argv;
    argv.reserve(args.size() + 1);
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    JobSlot *previous = g_slot;
    g_slot = &slot;
    EnableDshow(route_flag);
    int result = DOLMAR_FAILED;
    try {
        result = engine(static_cast<int>(args.size()), argv.data(), &ReportToSlot);
    } catch (...) {
        // The library's ffmain never throws; a stand-in that does failed its run, and an
        // exception must not end a worker thread and with it the program.
        result = DOLMAR_FAILED;
    }
    EnableDshow(0);
    g_slot = previous;
    return result;
}

JobRun RanRun(int result, std::string message)
{
    JobRun run;
    run.kind = JobRun::Kind::Ran;
    run.result = result;
    run.message = std::move(message);
    return run;
}

JobRun RunKind(JobRun::Kind kind)
{
    JobRun run;
    run.kind = kind;
    return run;
}

/// One job on the caller's thread, pumping on every report; stopped is set when pump asks.
JobRun RunOneHere(const JobPool::EngineFn &engine, std::size_t index, PoolJob job,
                  const JobPool::Hooks &hooks, bool &stopped)
{
    JobSlot slot;
    slot.index = index;
    slot.pump_here = [&] {
        const std::vector<JobPosition> running{{index, slot.position_s.load()}};
        if (hooks.pump(running))
            stopped = true;
        return stopped;
    };
    const int result = CallEngine(engine, slot, std::move(job.args), job.route_flag);
    return RanRun(result, std::move(slot.message));
}

/// Ends every worker of a pool that leaves Run, also by an exception from a hook: a joinable
/// thread must never be destroyed, and no engine may go on writing after Run returned.
struct WorkerGuard
{
    std::vector<std::unique_ptr<JobSlot>> &slots;
    std::atomic<bool> &stop;

    ~WorkerGuard()
    {
        stop = true;
        for (auto &slot : slots)
            if (slot && slot->thread.joinable())
                slot->thread.join();
    }
};

} // namespace

JobPool::JobPool(EngineFn engine, Limit limit)
    : m_engine(std::move(engine))
    , m_limit(limit)
{ }

bool JobPool::OneAtATime(const Limit &limit)
{
    return limit.jobs == 1 || (limit.jobs <= 0 && limit.machine_cores <= 1);
}

bool JobPool::Run(std::size_t count, const Hooks &hooks)
{
    return OneAtATime(m_limit) ? RunHere(count, hooks) : RunOnWorkers(count, hooks);
}

bool JobPool::RunHere(std::size_t count, const Hooks &hooks)
{
    bool stopped = false;
    for (std::size_t i = 0; i < count; ++i) {
        if (stopped) {
            hooks.finish(i, RunKind(JobRun::Kind::NotStarted));
            continue;
        }
        std::optional<PoolJob> job = hooks.start(i);
        if (!job) {
            hooks.finish(i, RunKind(JobRun::Kind::Skipped));
            continue;
        }
        const JobRun run = RunOneHere(m_engine, i, std::move(*job), hooks, stopped);
        if (hooks.ended)
            hooks.ended(i, run);
        hooks.finish(i, run);
    }
    return stopped;
}

bool JobPool::RunOnWorkers(std::size_t count, const Hooks &hooks)
{
    std::mutex mutex;
    std::condition_variable woken;
    std::size_t done_unseen = 0; // guarded by mutex
    std::atomic<bool> stop{false};
    bool stopped = false;

    std::vector<std::unique_ptr<JobSlot>> slots(count);
    std::vector<std::optional<JobRun>> ended(count);
    WorkerGuard guard{slots, stop};
    std::size_t next_start = 0;
    std::size_t next_finish = 0;
    int running = 0;
    double used_cores = 0;

    const auto may_start = [&](double cores) {
        if (running == 0)
            return true;
        if (m_limit.jobs > 0)
            return running < m_limit.jobs;
        return used_cores + cores <= static_cast<double>(m_limit.machine_cores) + 1e-9;
    };
    const auto launch = [&](std::size_t index, PoolJob job, double cores) {
        auto slot = std::make_unique<JobSlot>();
        slot->index = index;
        slot->stop = &stop;
        slot->cores = cores;
        JobSlot *raw = slot.get();
        raw->thread
            = std::thread([&, raw, args = std::move(job.args), route = job.route_flag]() mutable {
                  const int result = CallEngine(m_engine, *raw, std::move(args), route);
                  {
                      const std::lock_guard<std::mutex> lock(mutex);
                      raw->result = result;
                      raw->done = true;
                      ++done_unseen;
                  }
                  woken.notify_one();
              });
        slots[index] = std::move(slot);
        ++running;
        used_cores += cores;
    };

    while (next_finish < count) {
        // Runs that ended: their outputs are committed or abandoned as soon as they end.
        for (std::size_t i = next_finish; i < next_start; ++i) {
            JobSlot *slot = slots[i].get();
            if (!slot)
                continue;
            {
                const std::lock_guard<std::mutex> lock(mutex);
                if (!slot->done)
                    continue;
                --done_unseen;
            }
            slot->thread.join();
            JobRun run = RanRun(slot->result, std::move(slot->message));
            --running;
            used_cores -= slot->cores;
            slots[i].reset();
            if (hooks.ended)
                hooks.ended(i, run);
            ended[i] = std::move(run);
        }
        // Then what the user sees, in list order.
        while (next_finish < next_start && ended[next_finish]) {
            hooks.finish(next_finish, *ended[next_finish]);
            ended[next_finish].reset();
            ++next_finish;
        }
        if (next_finish == count)
            break;

        bool skipped = false;
        while (!stopped && next_start < count) {
            const double cores = std::clamp(hooks.cores ? hooks.cores(next_start) : 1.0, 1.0,
                                            std::max(1.0, double(m_limit.machine_cores)));
            if (!may_start(cores))
                break;
            std::optional<PoolJob> job = hooks.start(next_start);
            if (!job) {
                ended[next_start++] = RunKind(JobRun::Kind::Skipped);
                skipped = true;
                break; // finished before the next one starts
            }
            try {
                launch(next_start, std::move(*job), cores);
            } catch (const std::system_error &) {
                // No thread to spare: start() has claimed the job's output already, so it
                // converts here, on this thread, rather than be claimed again later.
                JobRun run = RunOneHere(m_engine, next_start, std::move(*job), hooks, stopped);
                if (hooks.ended)
                    hooks.ended(next_start, run);
                ended[next_start] = std::move(run);
            }
            ++next_start;
        }
        if (skipped)
            continue;

        if (running > 0) {
            std::vector<JobPosition> positions;
            for (std::size_t i = next_finish; i < next_start; ++i)
                if (slots[i])
                    positions.push_back({i, slots[i]->position_s.load(std::memory_order_relaxed)});
            if (hooks.pump(positions))
                stopped = true;
        }
        if (stopped) {
            stop = true;
            // Nothing more starts; what never ran is finished as such, in its turn.
            for (; next_start < count; ++next_start)
                ended[next_start] = RunKind(JobRun::Kind::NotStarted);
        }
        if (running > 0) {
            std::unique_lock<std::mutex> lock(mutex);
            woken.wait_for(lock, kPumpInterval, [&] { return done_unseen > 0; });
        }
    }
    return stopped;
}

} // namespace quillet
