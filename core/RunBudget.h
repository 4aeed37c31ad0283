// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/DiscBudget.h"
#include "core/ProfileRecord.h"
#include "core/TaskList.h"
#include "texts/Texts.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

/**
 * The sizes one run promises, as the driver carries them out (the planning rules themselves are
 * DiscBudget.h's, SizeTarget.h's): a disc shared by the whole batch, or a limit for each output
 * (what the split choice limits: ScopeOf), and the size target of a profile that names one
 * (TargetSizeMB). Made before the first engine run; told of each output as it is made.
 */
namespace quillet::sizing {

/// What the split choice and the run's profiles ask of it.
struct BudgetRequest
{
    std::string split_choice;
    int custom_split_mb = 0;
    const ProfileRecord *current_profile = nullptr;
    bool same_profile = true;
};

class RunBudget
{
public:
    /// The budget of a run that makes one output per task. converted: whether each task is
    /// converted by this run (the others take no room on the disc); empty: every one.
    static RunBudget ForEach(const TaskList &tasks, const BudgetRequest &request,
                             const std::vector<bool> &converted = {});
    /// The budget of a merged run: one output sized to the disc.
    static RunBudget ForMerged(const TaskList &tasks, const BudgetRequest &request);

    /// Whether anything about this run's sizes is planned.
    bool Any() const { return m_scope != SplitScope::None || m_any_target; }

    /// The refusal before converting when the batch cannot fit the disc even at the lowest
    /// rates ("These 14 files need at least 5.6 GB ..."); empty when it fits.
    std::string Refusal(const Texts &texts) const;

    /// Why task index is not converted: its own limit cannot hold it at its lowest rate.
    std::string TaskRefusal(std::size_t index, const Texts &texts) const;

    /// What task index is to be made with: its rate when the plan or its target changes it, in
    /// two passes where the rate must be met, and its planned size. Nothing when not planned.
    std::optional<TaskPlan> PlanOf(std::size_t index) const;

    /// Task index made an output of bytes: whether to encode it again (at a lower rate) before
    /// the next task.
    NextStep OutputFinished(std::size_t index, double bytes);

    /// Task index made no output: its share goes to the others.
    void OutputMissing(std::size_t index);

private:
    SplitScope m_scope = SplitScope::None;
    std::optional<DiscCapacity> m_capacity;
    /// WholeBatch: one budget for every task; EachOutput: one each (null where no plan).
    std::vector<std::unique_ptr<DiscBudget>> m_budgets;
    bool m_shared = false; ///< m_budgets holds one budget that every task shares
    std::vector<PlanTask> m_tasks;
    std::vector<bool> m_converted;
    std::vector<double> m_target_bytes; ///< each task's TargetSizeMB in bytes; 0 = none
    std::vector<double> m_target_kbps; ///< the rate of each target's latest encode
    std::vector<int> m_target_encodes;
    bool m_any_target = false;

    void ReadTargets(const std::vector<const ProfileRecord *> &profiles);

    DiscBudget *BudgetOf(std::size_t index) const;
    std::size_t BudgetIndex(std::size_t index) const;
};

} // namespace quillet::sizing
