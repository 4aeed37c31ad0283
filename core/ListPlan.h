// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/DiscBudget.h"
#include "core/ProfileRecord.h"
#include "core/RunBudget.h"
#include "core/TaskList.h"
#include "texts/Texts.h"

#include <optional>
#include <string>
#include <vector>

/**
 * The sizes a Convert of the whole list would aim for, known before it starts: the budget the
 * driver carries out (BudgetOfRun), read for the front ends' rows, totals line and disc bar. The
 * window reads it whenever the list, a profile or the split choice changes, so what it shows is
 * what the run will do, never a second reading of the rules.
 */
namespace quillet::sizing {

/// Whether every task has the same profile file: a DivX AVI batch shares one disc only then
/// (IsDiscFamily).
bool SameProfileFile(const TaskList &tasks);

/// What a Convert asks of the sizes.
struct RunSizes
{
    std::string split_choice;
    int custom_split_mb = 0;
    const ProfileRecord *current_profile = nullptr; ///< null: nothing is planned
    bool merge = false; ///< "Merge into one file"
};

/**
 * The budget a Convert of tasks carries out: one output sized to the disc when more than one task
 * is merged, else one output per task.
 * @param converted as RunBudget::ForEach: whether each task is converted (empty: every one)
 */
RunBudget BudgetOfRun(const TaskList &tasks, const RunSizes &sizes,
                      const std::vector<bool> &converted = {});

/// The plan of a whole list, as the front ends show it before converting.
struct ListPlan
{
    enum class Status {
        None, ///< nothing is planned: no disc size, or a profile without a size limit
        Unchanged, ///< the profiles' own rates fit
        Planned, ///< rates are lowered so that every output fits, complete
        CannotFit, ///< the run will be refused (refusal) or a task will be (task_refusal)
    };
    Status status = Status::None;
    std::optional<DiscCapacity> capacity;
    /// One entry a task: the size its run aims for where the plan sets its rate; none where it
    /// is made as its profile makes it (its estimate holds).
    std::vector<std::optional<double>> planned_bytes;
    /// A merged run's one output, where the plan sets its rate.
    std::optional<double> merged_bytes;
    /// CannotFit: the driver's words for it, and the bytes they say are needed at the least.
    std::string refusal;
    double needed_bytes = 0;
    /// CannotFit for a limit on each output: the task the driver will refuse; else -1.
    int refused_task = -1;
};

/// The plan of converting every task of tasks, in the user's language.
ListPlan PlanList(const TaskList &tasks, const RunSizes &sizes, const Texts &texts);

} // namespace quillet::sizing
