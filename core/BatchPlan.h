// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/OutputShape.h"
#include "core/RateLimits.h"

#include <optional>
#include <vector>

/**
 * Sharing a size among the outputs of a batch: the pure rule the disc budget (DiscBudget.h) and
 * the window's disc bar use. Only video rates are planned: audio, subtitles and the container's
 * bytes are subtracted first, as they do not shrink with the picture.
 */
namespace quillet::sizing {

/// One output to plan, as its profile would make it.
struct PlanTask
{
    OutputShape shape;
    /// The video rate without a plan: the profile's -b, or what a sample encode measured of a
    /// quality-based one. 0 when not known (quality-based, not sampled).
    double natural_kbps = 0;
    RateLimits limits;
    /// Bits this source needs for a given quality relative to an ordinary one (a sample encode's
    /// measured rate over the codec's typical one); 1 when not measured. A still picture needs
    /// fewer bits than a noisy one at the same quality, so it is given a smaller share.
    double complexity = 1;
};

/// The output of task as its profile makes it.
PlanTask PlanTaskOf(const Task &task);

/// The one output of a merged run.
PlanTask MergedPlanTaskOf(const TaskList &tasks, const ProfileRecord &current);

/// The planned output of one task.
struct TaskPlan
{
    double video_kbps = 0; ///< whole kbit/s to give the encoder (-b); 0 without video
    double bytes = 0; ///< planned size; the real size once the output is made
    bool change_rate = false; ///< the rate differs from the profile's: write video_kbps
    bool two_pass = false; ///< the rate must be met, which a single pass does not promise
    bool at_lowest = false; ///< at the lowest rate the profile allows
    bool made = false; ///< the output is made: bytes is its real size
};

enum class PlanStatus {
    Unchanged, ///< the profile's own rates fit within the aim: nothing changes
    Planned, ///< rates lowered so that the batch fits
    CannotFit, ///< even the lowest rates need more than the capacity
};

/// A batch shared onto one capacity.
struct BatchPlan
{
    PlanStatus status = PlanStatus::Unchanged;
    std::vector<TaskPlan> tasks;
    double capacity_bytes = 0;
    double planned_bytes = 0; ///< the whole batch: made outputs at their real size
    double lowest_bytes = 0; ///< the whole batch at the lowest rates (made ones as made)

    bool Fits() const { return status != PlanStatus::CannotFit; }
};

/// The share of the capacity a plan aims at: the middle of 90 to 100 %, so that the model's
/// 5 % either way still lands inside.
inline constexpr double kAimFraction = 0.95;

/**
 * Shares capacity_bytes among tasks. Outputs already made (made_bytes set) count at their real
 * size; the others share what is left. When the profile's own rates fit within kAimFraction of
 * the capacity nothing changes. Otherwise every rate is set to the same bits per pixel (weighted
 * by complexity), each kept within the task's lowest rate and its highest (the profile's own rate
 * or the device's ceiling, whichever is lower: a plan never raises a rate), so that the batch
 * comes to kAimFraction of the capacity; a task whose rate is lowered is marked for two passes.
 * When even the lowest rates exceed the aim but fit, every task is planned at its lowest rate;
 * when they do not fit at all, the plan says CannotFit (its tasks at their lowest rates).
 * @param made_bytes empty, or one entry a task: the real size of each output already made
 */
BatchPlan PlanBatch(const std::vector<PlanTask> &tasks, double capacity_bytes,
                    const std::vector<std::optional<double>> &made_bytes = {});

/// The highest rate a plan may give task, in kbit/s (0 for a task without video).
double HighestKbps(const PlanTask &task);

/// The lowest rate a plan may give task, in kbit/s: never above HighestKbps.
double LowestKbps(const PlanTask &task);

} // namespace quillet::sizing
