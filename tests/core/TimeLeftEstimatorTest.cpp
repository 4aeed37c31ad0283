// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/TimeLeftEstimator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

using namespace quillet;

namespace {

const WorkKind kHd{"h264", 1280, 720};
const WorkKind kSd{"h264", 640, 480};
const WorkKind kSound{"mp3", 0, 0};

/// One task of a simulated batch: how long its run really takes.
struct SimTask
{
    double media_s;
    WorkKind kind;
    double fixed_s; ///< seconds before its position moves
    double cost; ///< seconds of its run per second of media
    bool dropped = false; ///< never runs
};

struct Batch
{
    const char *name;
    std::vector<SimTask> tasks;
    int at_once = 1;
    double gap_s = 0; ///< nothing runs this long after each task (post-processing)
    std::size_t checked_from = 1; ///< the first task whose start compares the estimate
};

struct Check
{
    double at_s;
    std::optional<double> estimate;
    int percent;
};

/// Runs batch on a fake clock in steps of 50 ms, as the pool's pump would, and notes the
/// estimate each time a task starts; returns the notes and the real end.
std::vector<Check> Simulate(const Batch &batch, double &end_s)
{
    constexpr double kStep = 0.05;
    std::vector<TimedTask> timed;
    for (const SimTask &task : batch.tasks)
        timed.push_back({task.media_s, task.kind, 1});
    TimeLeftEstimator estimate(timed, 0);

    struct Running
    {
        std::size_t index;
        double fixed_left;
        double position;
    };
    std::vector<Running> running;
    std::vector<Check> checks;
    std::size_t next = 0;
    double now = 0, next_start = 0;
    for (std::size_t i = 0; i < batch.tasks.size(); ++i)
        if (batch.tasks[i].dropped)
            estimate.Dropped(i);
    while (next < batch.tasks.size() || !running.empty()) {
        while (next < batch.tasks.size() && batch.tasks[next].dropped)
            ++next;
        while (next < batch.tasks.size() && running.size() < std::size_t(batch.at_once)
               && now >= next_start - 1e-9 && !batch.tasks[next].dropped) {
            estimate.Started(next, now);
            if (next >= batch.checked_from)
                checks.push_back({now, estimate.SecondsLeft(), estimate.Percent()});
            running.push_back({next, batch.tasks[next].fixed_s, 0});
            ++next;
        }
        now += kStep;
        std::vector<JobPosition> positions;
        for (Running &run : running) {
            const SimTask &task = batch.tasks[run.index];
            if (run.fixed_left > 1e-9)
                run.fixed_left -= kStep;
            else
                run.position = std::min(task.media_s, run.position + kStep / task.cost);
            positions.push_back({run.index, run.position});
        }
        estimate.Update(now, positions);
        for (auto it = running.begin(); it != running.end();) {
            if (it->position >= batch.tasks[it->index].media_s - 1e-9) {
                estimate.Ended(it->index, now, true);
                next_start = now + batch.gap_s;
                it = running.erase(it);
            } else {
                ++it;
            }
        }
        if (running.empty() && next >= batch.tasks.size())
            now = next_start; // the last task's post-processing
    }
    end_s = now;
    return checks;
}

} // namespace

TEST(TimeLeftEstimator, estimatesTheWholeBatchFromTheSpeedOfEachKind)
{
    // Each estimate is read as the next task starts, against when the simulated batch ended.
    const Batch batches[] = {
        {"one kind, equal lengths", {{10, kSd, 1, 0.5}, {10, kSd, 1, 0.5}, {10, kSd, 1, 0.5}}},
        // The current file's own progress would say nothing of a long file after a short one.
        {"short, then long", {{2, kSd, 1, 0.5}, {60, kSd, 1, 0.5}, {5, kSd, 1, 0.5}}},
        {"a fixed cost that weighs on short clips",
         {{2, kSd, 1.5, 0.3}, {3, kSd, 1.5, 0.3}, {2, kSd, 1.5, 0.3}, {4, kSd, 1.5, 0.3}}},
        {"kinds at their own speeds",
         {{8, kHd, 1, 2}, {30, kSound, 0.2, 0.05}, {8, kHd, 1, 2}, {30, kSound, 0.2, 0.05}},
         1,
         0,
         2},
        // An SD picture has a third of a 720p one's pixels: a kind not yet seen borrows.
        {"a picture size not yet measured", {{6, kHd, 1, 1.5}, {6, kSd, 1, 0.5}, {6, kSd, 1, 0.5}}},
        {"post-processing between tasks",
         {{5, kSd, 0.5, 0.5}, {5, kSd, 0.5, 0.5}, {5, kSd, 0.5, 0.5}},
         1,
         2,
         2},
        {"two at once",
         {{8, kSd, 0.5, 1}, {8, kSd, 0.5, 1}, {8, kSd, 0.5, 1}, {8, kSd, 0.5, 1}},
         2,
         0,
         2},
        {"a task that never runs", {{4, kSd, 1, 0.5}, {40, kSd, 1, 0.5, true}, {4, kSd, 1, 0.5}}},
    };
    for (const Batch &batch : batches) {
        double end_s = 0;
        const std::vector<Check> checks = Simulate(batch, end_s);
        ASSERT_FALSE(checks.empty()) << batch.name;
        int percent = 0;
        for (const Check &check : checks) {
            const double truth = end_s - check.at_s;
            ASSERT_TRUE(check.estimate) << batch.name << " at " << check.at_s;
            // The simulation's steps are 50 ms: each task may end up to one step late.
            EXPECT_NEAR(*check.estimate, truth, 0.02 * truth + 0.05 * double(batch.tasks.size()))
                << batch.name << " at " << check.at_s << " s";
            EXPECT_GE(check.percent, percent) << batch.name;
            percent = check.percent;
        }
    }
}

TEST(TimeLeftEstimator, saysNothingBeforeAnySpeedWasMeasured)
{
    TimeLeftEstimator estimate({{10, kSd, 1}, {10, kSd, 1}}, 100);
    EXPECT_FALSE(estimate.SecondsLeft());
    estimate.Started(0, 100);
    estimate.Update(101, {{0, 0}}); // opening the source: no position yet
    EXPECT_FALSE(estimate.SecondsLeft());
    EXPECT_EQ(estimate.Percent(), 0);
    estimate.Update(102, {{0, 2}}); // the encoder's look-ahead filling up
    EXPECT_FALSE(estimate.SecondsLeft());
    estimate.Update(104, {{0, 6}});
    ASSERT_TRUE(estimate.SecondsLeft());
    // 4 s past the look-ahead in 2 s: what is left of the first, its look-ahead included, and
    // the second with its opening.
    EXPECT_NEAR(*estimate.SecondsLeft(), (10 - 4) * 0.5 + 1 + 10 * 0.5, 1e-9);
}
