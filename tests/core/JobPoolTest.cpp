// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/JobPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace quillet;

namespace {

/// An engine whose runs go on, reporting, until the test releases them: the test decides the
/// order in which they end. argv[1] is the job's index; a job named in failing fails at once.
class GatedEngine
{
public:
    std::set<std::size_t> failing;

    int operator()(int, char **argv, ProgressCallback report)
    {
        const std::size_t index = std::stoul(argv[1]);
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_threads.insert(std::this_thread::get_id());
        }
        if (failing.count(index)) {
            report("Cannot decode the input: invalid data", -1.0);
            return DOLMAR_FAILED;
        }
        for (double position = 0;; position += 0.1) {
            if (report(nullptr, position) < 0)
                return DOLMAR_STOPPED;
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_released.count(index))
                return DOLMAR_OK;
            // Woken by Release; the timeout only keeps the reports coming, as the engine's do.
            m_woken.wait_for(lock, std::chrono::milliseconds(5));
        }
    }

    void Release(std::size_t index)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_released.insert(index);
        }
        m_woken.notify_all();
    }

    std::set<std::thread::id> Threads()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_threads;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_woken;
    std::set<std::size_t> m_released;
    std::set<std::thread::id> m_threads;
};

/// What the pool asked of its caller, and on which thread.
struct Caller
{
    enum class Release { Highest, Lowest, None };

    GatedEngine engine;
    Release release = Release::Lowest;
    std::set<std::size_t> skipped; ///< start gives no job
    std::vector<double> cores; ///< Hooks::cores; empty: none given
    std::size_t stop_when_running = 0; ///< pump asks to stop once this many run

    std::vector<std::string> events; ///< "start 0", "ended 2", "finish 0 ok", ...
    std::vector<std::set<std::size_t>> running_seen;
    std::vector<JobRun> finished;
    std::size_t pumps = 0;
    bool off_thread = false; ///< a hook came on another thread than the caller's
    const std::thread::id thread = std::this_thread::get_id();

    void Here() { off_thread = off_thread || std::this_thread::get_id() != thread; }

    bool Run(std::size_t count, JobPool::Limit limit)
    {
        JobPool pool(std::ref(engine), limit);
        JobPool::Hooks hooks;
        if (!cores.empty())
            hooks.cores = [this](std::size_t i) { return cores[i]; };
        hooks.start = [this](std::size_t i) -> std::optional<PoolJob> {
            Here();
            events.push_back("start " + std::to_string(i));
            if (skipped.count(i))
                return std::nullopt;
            return PoolJob{{"ffmain", std::to_string(i)}, 0};
        };
        hooks.pump = [this](const std::vector<JobPosition> &running) {
            Here();
            ++pumps;
            std::set<std::size_t> indexes;
            for (const JobPosition &at : running)
                indexes.insert(at.index);
            running_seen.push_back(indexes);
            if (stop_when_running && indexes.size() >= stop_when_running)
                return true;
            // One release a pump: when the pump is called every job the pool would start has
            // started, so each set seen is what the pool chose to run together.
            if (!indexes.empty() && release == Release::Highest)
                engine.Release(*indexes.rbegin());
            else if (!indexes.empty() && release == Release::Lowest)
                engine.Release(*indexes.begin());
            return false;
        };
        hooks.ended = [this](std::size_t i, const JobRun &) {
            Here();
            events.push_back("ended " + std::to_string(i));
        };
        hooks.finish = [this](std::size_t i, const JobRun &run) {
            Here();
            events.push_back("finish " + std::to_string(i));
            finished.push_back(run);
        };
        return pool.Run(count, hooks);
    }

    std::vector<std::string> Events(const std::string &kind) const
    {
        std::vector<std::string> found;
        for (const std::string &event : events)
            if (event.rfind(kind + " ", 0) == 0)
                found.push_back(event.substr(kind.size() + 1));
        return found;
    }
    std::size_t MostAtOnce() const
    {
        std::size_t most = 0;
        for (const auto &running : running_seen)
            most = std::max(most, running.size());
        return most;
    }
};

using Strings = std::vector<std::string>;

} // namespace

TEST(JobPool, finishesInListOrderWhateverOrderTheRunsEndIn)
{
    Caller caller;
    caller.release = Caller::Release::Highest;
    EXPECT_FALSE(caller.Run(4, {3, 8}));
    // Three start at once; the last to start ends first, the first last.
    EXPECT_EQ(caller.running_seen.front(), (std::set<std::size_t>{0, 1, 2}));
    EXPECT_EQ(caller.Events("ended"), (Strings{"2", "3", "1", "0"}));
    EXPECT_EQ(caller.Events("finish"), (Strings{"0", "1", "2", "3"}));
    EXPECT_EQ(caller.Events("start"), (Strings{"0", "1", "2", "3"}));
    for (const JobRun &run : caller.finished)
        EXPECT_EQ(run.result, DOLMAR_OK);
    // The engines ran on threads of the pool's; every hook came on the caller's.
    EXPECT_FALSE(caller.off_thread);
    EXPECT_EQ(caller.engine.Threads().count(caller.thread), 0u);
    EXPECT_EQ(caller.MostAtOnce(), 3u);
}

TEST(JobPool, aFailedOrSkippedJobIsFinishedInItsTurnAndTheOthersGoOn)
{
    Caller caller;
    caller.engine.failing = {2};
    caller.skipped = {1};
    EXPECT_FALSE(caller.Run(4, {2, 8}));
    ASSERT_EQ(caller.finished.size(), 4u);
    EXPECT_EQ(caller.Events("finish"), (Strings{"0", "1", "2", "3"}));
    EXPECT_EQ(caller.finished[0].result, DOLMAR_OK);
    EXPECT_EQ(caller.finished[1].kind, JobRun::Kind::Skipped);
    EXPECT_EQ(caller.finished[2].kind, JobRun::Kind::Ran);
    EXPECT_EQ(caller.finished[2].result, DOLMAR_FAILED);
    EXPECT_EQ(caller.finished[2].message, "Cannot decode the input: invalid data");
    EXPECT_EQ(caller.finished[3].result, DOLMAR_OK);
    EXPECT_FALSE(caller.off_thread);
}

TEST(JobPool, stopDuringThreeRunningJobsStopsEachAndStartsNoMore)
{
    Caller caller;
    caller.release = Caller::Release::None;
    caller.stop_when_running = 3;
    EXPECT_TRUE(caller.Run(5, {3, 8}));
    EXPECT_EQ(caller.Events("start"), (Strings{"0", "1", "2"}));
    EXPECT_EQ(caller.Events("finish"), (Strings{"0", "1", "2", "3", "4"}));
    ASSERT_EQ(caller.finished.size(), 5u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(caller.finished[i].kind, JobRun::Kind::Ran);
        EXPECT_EQ(caller.finished[i].result, DOLMAR_STOPPED) << i;
    }
    EXPECT_EQ(caller.finished[3].kind, JobRun::Kind::NotStarted);
    EXPECT_EQ(caller.finished[4].kind, JobRun::Kind::NotStarted);
    EXPECT_FALSE(caller.off_thread);
}

TEST(JobPool, oneAtATimeRunsOnTheCallersThreadEachAfterTheLastFinished)
{
    Caller caller;
    caller.skipped = {1};
    EXPECT_FALSE(caller.Run(3, {1, 8}));
    // The next job is made only once the one before is finished: a disc's running total or a
    // budget re-planned after each output sees every output before it.
    EXPECT_EQ(caller.events,
              (Strings{"start 0", "ended 0", "finish 0", "start 1", "finish 1", "start 2",
                       "ended 2", "finish 2"}));
    EXPECT_EQ(caller.engine.Threads(), (std::set<std::thread::id>{caller.thread}));
    EXPECT_EQ(caller.MostAtOnce(), 1u);
    // Pumped on every report, as a single conversion always was.
    EXPECT_GE(caller.pumps, 2u);
}

TEST(JobPool, startsJobsWhileTheirProcessorsFitTheMachine)
{
    struct Case
    {
        const char *name;
        int machine_cores;
        std::vector<double> cores;
        std::size_t most_at_once;
        std::size_t alone; ///< a job that must run alone, or none
    };
    constexpr std::size_t kNone = 99;
    const Case cases[] = {
        {"light jobs fill the machine", 4, {1, 1, 1, 1, 1, 1}, 4, kNone},
        {"a heavy job runs alone", 4, {1, 1, 4, 1}, 2, 2},
        {"heavier than the machine still runs", 2, {4, 4}, 1, 0},
        {"halves pair up", 4, {2, 2, 2}, 2, kNone},
        {"one processor: one at a time", 1, {1, 1, 1}, 1, kNone},
    };
    for (const Case &c : cases) {
        Caller caller;
        caller.cores = c.cores;
        EXPECT_FALSE(caller.Run(c.cores.size(), {0, c.machine_cores})) << c.name;
        EXPECT_EQ(caller.MostAtOnce(), c.most_at_once) << c.name;
        for (const auto &running : caller.running_seen) {
            if (running.count(c.alone)) {
                EXPECT_EQ(running.size(), 1u) << c.name;
            }
        }
        EXPECT_EQ(caller.Events("finish").size(), c.cores.size()) << c.name;
    }
}
