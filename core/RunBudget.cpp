// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/RunBudget.h"

#include "core/SizeModel.h"
#include "core/SizeTarget.h"

#include <algorithm>
#include <cmath>

namespace quillet::sizing {

RunBudget RunBudget::ForEach(const TaskList &tasks, const BudgetRequest &request,
                             const std::vector<bool> &converted)
{
    RunBudget budget;
    std::vector<const ProfileRecord *> profiles;
    for (const auto &task : tasks) {
        budget.m_tasks.push_back(PlanTaskOf(*task));
        profiles.push_back(&task->settings);
    }
    budget.m_converted = converted;
    budget.m_converted.resize(budget.m_tasks.size(), true);
    budget.ReadTargets(profiles);
    if (request.current_profile) {
        budget.m_capacity = CapacityOf(request.split_choice, request.custom_split_mb);
        budget.m_scope = ScopeOf(*request.current_profile, request.split_choice,
                                 request.custom_split_mb, request.same_profile);
    }
    if (budget.m_scope == SplitScope::WholeBatch) {
        budget.m_shared = true;
        auto shared = std::make_unique<DiscBudget>(budget.m_tasks, budget.m_capacity->bytes);
        for (std::size_t i = 0; i < budget.m_tasks.size(); ++i)
            if (!budget.m_converted[i])
                shared->OutputMissing(i);
        budget.m_budgets.push_back(std::move(shared));
    } else if (budget.m_scope == SplitScope::EachOutput) {
        for (const PlanTask &task : budget.m_tasks)
            budget.m_budgets.push_back(std::make_unique<DiscBudget>(std::vector<PlanTask>{task},
                                                                    budget.m_capacity->bytes));
    }
    return budget;
}

RunBudget RunBudget::ForMerged(const TaskList &tasks, const BudgetRequest &request)
{
    RunBudget budget;
    if (!request.current_profile || tasks.Count() == 0)
        return budget;
    budget.m_tasks.push_back(MergedPlanTaskOf(tasks, *request.current_profile));
    budget.m_converted = {true};
    budget.ReadTargets({request.current_profile});
    budget.m_capacity = CapacityOf(request.split_choice, request.custom_split_mb);
    budget.m_scope
        = ScopeOf(*request.current_profile, request.split_choice, request.custom_split_mb, true);
    if (budget.m_scope != SplitScope::None) {
        // One output, whatever the split limits: it is sized to the disc.
        budget.m_scope = SplitScope::WholeBatch;
        budget.m_shared = true;
        budget.m_budgets.push_back(
            std::make_unique<DiscBudget>(budget.m_tasks, budget.m_capacity->bytes));
    }
    return budget;
}

void RunBudget::ReadTargets(const std::vector<const ProfileRecord *> &profiles)
{
    for (const ProfileRecord *profile : profiles) {
        const double bytes
            = TargetBytesOf(profile->profile_path.str(), profile->section_name.view());
        m_target_bytes.push_back(bytes);
        m_any_target = m_any_target || bytes > 0;
    }
    m_target_kbps.assign(profiles.size(), 0);
    m_target_encodes.assign(profiles.size(), 0);
}

DiscBudget *RunBudget::BudgetOf(std::size_t index) const
{
    if (m_shared)
        return m_budgets.front().get();
    return index < m_budgets.size() ? m_budgets[index].get() : nullptr;
}

std::size_t RunBudget::BudgetIndex(std::size_t index) const
{
    return m_shared ? index : 0;
}

std::string RunBudget::Refusal(const Texts &texts) const
{
    if (!m_shared || m_budgets.front()->Plan().Fits())
        return {};
    const int files = static_cast<int>(std::count(m_converted.begin(), m_converted.end(), true));
    return CannotFitText(texts, files, m_budgets.front()->Plan().lowest_bytes, *m_capacity);
}

std::string RunBudget::TaskRefusal(std::size_t index, const Texts &texts) const
{
    const DiscBudget *budget = m_shared ? nullptr : BudgetOf(index);
    if (!budget || budget->Plan().Fits())
        return {};
    return CannotFitText(texts, 1, budget->Plan().lowest_bytes, *m_capacity);
}

std::optional<TaskPlan> RunBudget::PlanOf(std::size_t index) const
{
    std::optional<TaskPlan> planned;
    if (const DiscBudget *budget = BudgetOf(index)) {
        planned = budget->Plan().tasks[BudgetIndex(index)];
        // A disc that binds decides; the target may only ask for less than the disc allows.
        if (planned->change_rate)
            return planned;
    }
    if (index < m_target_bytes.size() && m_target_bytes[index] > 0) {
        TaskPlan target = PlanForTarget(m_tasks[index], m_target_bytes[index]).plan;
        if (m_target_kbps[index] > 0) {
            target.video_kbps = m_target_kbps[index];
            target.bytes
                = EstimateSize(WithVideoKbps(m_tasks[index].shape, target.video_kbps)).Total();
        }
        if (!planned || target.bytes <= planned->bytes || !target.change_rate)
            return target;
    }
    return planned;
}

NextStep RunBudget::OutputFinished(std::size_t index, double bytes)
{
    const std::optional<TaskPlan> planned = PlanOf(index);
    DiscBudget *budget = BudgetOf(index);
    const bool by_target = index < m_target_bytes.size() && m_target_bytes[index] > 0 && planned
        && (!budget || !budget->Plan().tasks[BudgetIndex(index)].change_rate);
    if (by_target && planned->change_rate) {
        // A target is a limit the output must keep (an upload or a mail attachment refuses a
        // byte more): over it, encode again lower by as much as the encoder missed.
        const double target = m_target_bytes[index];
        const double used = planned->video_kbps;
        ++m_target_encodes[index];
        if (bytes > target && m_target_encodes[index] < kMaxEncodesEach && used > 0) {
            const PlanTask &task = m_tasks[index];
            const double wanted = VideoKbpsForSize(task.shape, target * kAimFraction);
            const double achieved = VideoKbpsForSize(task.shape, bytes);
            const double correction = achieved > 0 ? used / achieved : 1.0;
            const double rate = std::floor(std::max(wanted * correction, LowestKbps(task)));
            if (rate < used - 0.5) {
                m_target_kbps[index] = rate;
                return {NextStep::Action::EncodeAgain, rate};
            }
        }
    }
    if (!budget)
        return {};
    return budget->OutputFinished(BudgetIndex(index), bytes);
}

void RunBudget::OutputMissing(std::size_t index)
{
    if (DiscBudget *budget = BudgetOf(index))
        budget->OutputMissing(BudgetIndex(index));
}

} // namespace quillet::sizing
