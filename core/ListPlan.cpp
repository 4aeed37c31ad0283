// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ListPlan.h"

#include <algorithm>

namespace quillet::sizing {

bool SameProfileFile(const TaskList &tasks)
{
    for (int i = 1; i < tasks.Count(); ++i)
        if (tasks.Get(i - 1)->settings.profile_path.view()
            != tasks.Get(i)->settings.profile_path.view())
            return false;
    return true;
}

RunBudget BudgetOfRun(const TaskList &tasks, const RunSizes &sizes,
                      const std::vector<bool> &converted)
{
    const BudgetRequest request{sizes.split_choice, sizes.custom_split_mb, sizes.current_profile,
                                SameProfileFile(tasks)};
    if (tasks.Count() > 1 && sizes.merge)
        return RunBudget::ForMerged(tasks, request);
    return RunBudget::ForEach(tasks, request, converted);
}

ListPlan PlanList(const TaskList &tasks, const RunSizes &sizes, const Texts &texts)
{
    ListPlan plan;
    const int count = tasks.Count();
    plan.planned_bytes.resize(static_cast<std::size_t>(std::max(count, 0)));
    if (!sizes.current_profile || count == 0)
        return plan;
    const bool merged = count > 1 && sizes.merge;
    // Without a size that limits this profile's outputs nothing is planned, and the budget (which
    // reads every task's profile file for a size target) is not made at all: the window asks
    // after every change to the list.
    if (ScopeOf(*sizes.current_profile, sizes.split_choice, sizes.custom_split_mb,
                merged || SameProfileFile(tasks))
        == SplitScope::None)
        return plan;
    plan.capacity = CapacityOf(sizes.split_choice, sizes.custom_split_mb);
    const RunBudget budget = BudgetOfRun(tasks, sizes);

    bool lowered = false;
    plan.refusal = budget.Refusal(texts);
    const bool batch_refused = !plan.refusal.empty();
    const int planned_outputs = merged ? 1 : count;
    for (int i = 0; i < planned_outputs; ++i) {
        const auto index = static_cast<std::size_t>(i);
        const std::optional<TaskPlan> planned = budget.PlanOf(index);
        if (planned && planned->change_rate) {
            lowered = true;
            (merged ? plan.merged_bytes : plan.planned_bytes[index]) = planned->bytes;
        }
        // A refused batch is planned at its lowest rates: together they are what it needs.
        if (planned && batch_refused)
            plan.needed_bytes += planned->bytes;
        if (!batch_refused && plan.refused_task < 0) {
            if (std::string refused = budget.TaskRefusal(index, texts); !refused.empty()) {
                plan.refusal = std::move(refused);
                plan.refused_task = i;
                plan.needed_bytes = planned ? planned->bytes : 0;
            }
        }
    }
    plan.status = !plan.refusal.empty() ? ListPlan::Status::CannotFit
        : lowered                       ? ListPlan::Status::Planned
                                        : ListPlan::Status::Unchanged;
    return plan;
}

} // namespace quillet::sizing
