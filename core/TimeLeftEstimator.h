// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/JobPool.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

/**
 * The batch's time left: the speed measured so far, kind of work by kind of work, applied to
 * what the batch still has to convert, never the current file's progress alone.
 *
 * Each task is media of some length (its trims applied) of one kind: the output's video codec
 * and picture size, or its audio codec when it makes sound alone. While tasks run the estimator
 * is told, from the caller's clock, where each running task is; the time between two updates is
 * shared among the tasks that ran in it by the processors each keeps busy (so with parallel jobs
 * each job is charged its part of the machine, and the parts add up to the time that passed).
 * Until a task's position first moves its share is the cost of opening a task of its kind;
 * after that it is the cost of its media, its kind's speed. Time when no task runs
 * (post-processing, the work between two tasks) is spread over the tasks to come.
 *
 * The estimate: for every task not done, its media not yet converted at its kind's cost per
 * second, plus the opening of those not yet open. A kind not yet measured borrows the cost of
 * the kinds measured, scaled by picture size (sound from sound, video from video, one for the
 * other only when nothing else was measured). Nothing is said before anything was measured.
 *
 * The clock must not count time the machine spent suspended: on Linux CLOCK_MONOTONIC (what
 * std::chrono::steady_clock reads) stops while the machine sleeps, CLOCK_BOOTTIME does not, and
 * an hour of sleep counted as an hour of converting would make every later second look an hour
 * slower.
 */
namespace quillet {

/// Tasks of one kind convert at one speed.
struct WorkKind
{
    std::string codec; ///< the output's video codec, or its audio codec when it has no video
    int width = 0; ///< the output picture; 0 when the output has no video
    int height = 0;

    bool operator==(const WorkKind &) const = default;
};

/// One task of the batch as the estimator sees it.
struct TimedTask
{
    double media_s = 0; ///< what the run converts: the source's length with its trims applied
    WorkKind kind;
    double cores = 1; ///< the processors its run keeps busy (JobWeight.h)
};

class TimeLeftEstimator
{
public:
    /// tasks: the batch in list order; now_s: the batch's start on the caller's clock.
    TimeLeftEstimator(std::vector<TimedTask> tasks, double now_s);

    /// Task index started converting.
    void Started(std::size_t index, double now_s);
    /// Where the running tasks are (the engine's output positions) at now_s.
    void Update(double now_s, const std::vector<JobPosition> &running);
    /// Task index ended. completed: it converted to its end (a failed or stopped run still
    /// counts toward the speed, but not toward what a whole task costs).
    void Ended(std::size_t index, double now_s, bool completed);
    /// Task index will not be converted (skipped, failed before it ran, never started).
    void Dropped(std::size_t index);

    /// Seconds until the whole batch is done, as of the last call; nothing before any speed
    /// was measured.
    std::optional<double> SecondsLeft() const;
    /// The batch's progress in percent, 0 to 100: the time spent of the time spent and left,
    /// or, while there is no estimate, the media converted of all. Never goes back.
    int Percent();

private:
    enum class State { Waiting, Running, Done };
    struct TaskClock
    {
        State state = State::Waiting;
        bool moving = false; ///< its position has moved since it started
        double position_s = 0;
        double credited_s = 0; ///< media counted toward its kind's speed
        double opening_s = 0; ///< its share of the time before its position moved
        double warm_s = 0; ///< its share while its position was within the look-ahead
    };
    struct KindSpeed
    {
        WorkKind kind;
        double media_s = 0; ///< media credited
        double spent_s = 0; ///< the time it took
        double opening_s = 0; ///< the opening time of the whole tasks that ended
        int whole_tasks = 0;
    };

    void Advance(double now_s, const std::vector<JobPosition> *running);
    KindSpeed &SpeedOf(const WorkKind &kind);
    const KindSpeed *FindSpeed(const WorkKind &kind) const;
    /// Seconds one second of media of kind costs; nothing when nothing was measured.
    std::optional<double> CostPerSecond(const WorkKind &kind) const;
    /// Seconds a task of kind takes before its position moves.
    double OpeningCost(const WorkKind &kind) const;

    std::vector<TimedTask> m_tasks;
    std::vector<TaskClock> m_clocks;
    std::vector<KindSpeed> m_speeds;
    double m_last_s;
    double m_elapsed_s = 0;
    double m_idle_s = 0; ///< time when no task ran
    int m_ended = 0;
    int m_percent = 0;
};

} // namespace quillet
