// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/BatchPlan.h"
#include "core/ProfileRecord.h"
#include "core/Texts.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/**
 * Size planning: how big outputs will be, and how a batch is made to fit a disc with every output
 * complete. No window and no engine here: every part is a function of the tasks and of what was
 * measured, and the front ends and the driver call it.
 *
 *   ShapeOf, MergedShapeOf   (OutputShape.h)     what an output will hold, read from its task
 *   EstimateSize             (SizeModel.h)       its bytes: streams plus the measured container
 *                                                 bytes (ContainerOverhead.h)
 *   SampleEstimator          (SampleEstimator.h) measures what the model cannot know (-crf,
 *                                                 -qscale, -b 0) from three short encodes
 *   PlanBatch                (BatchPlan.h)       shares a capacity among outputs
 *   DiscBudget               (here)              carries a plan through a run: re-plans after
 *                                                 each output, says when one must be encoded again
 *   PlanForTarget            (SizeTarget.h)      one output onto its profile's TargetSizeMB
 *   JudgeOutput              (CutRule.h)         tells an output stopped by -fs from a whole one
 *
 * Who calls what, and when:
 *
 *   task list (window, quillet-cli), when a task is added or gets another profile
 *     EstimateSize(ShapeOf(task)) for the Estimated Size column. When the breakdown is not exact
 *     the column shows "~" and, when the program is idle (never during a run: the engine runs one
 *     conversion at a time), SampleEstimator::Estimate measures the task; ApplySample puts the
 *     result into its PlanTask and SampleResult::bytes replaces the guess.
 *   window, when the split choice, the profile or the tasks change
 *     ScopeOf(...). For WholeBatch, PlanBatch(every task's PlanTaskOf, CapacityOf(...)->bytes)
 *     gives the disc bar (planned_bytes), each row's planned size (TaskPlan::bytes) and the totals
 *     line's "planned to fit DVD-5" (size_texts::kPlannedToFit); CannotFit gives CannotFitText.
 *   driver, at Convert, before any engine run
 *     WholeBatch: DiscBudget budget(every task's PlanTaskOf, or the one MergedPlanTaskOf of a
 *       merged run, capacity). When !budget.Plan().Fits(), tell CannotFitText and stop. The
 *       estimate check of disc-family profiles stays as it is, ahead of this one.
 *       Before task i: when Plan().tasks[i].change_rate, run it with bVideoCustomBitRate = 1 and
 *       nVideoCustomBitRate = video_kbps (in two passes when two_pass).
 *       After task i: OutputFinished(i, real size). EncodeAgain: convert task i again at the
 *       step's rate, in two passes, replacing its output, then OutputFinished(i, ...) again;
 *       Continue: the next task (the rest has been re-planned). A task that made no output:
 *       OutputMissing(i). quillet-cli --json gives each task's planned size (TaskPlan::bytes
 *       before its run) and its real size.
 *     EachOutput: every task alone, PlanBatch({PlanTaskOf(task)}, capacity); a task that
 *       cannot fit is not converted, and its result says CannotFitText(texts, 1, ...).
 *     A profile with TargetSizeMB (SizeTarget.h): PlanForTarget(PlanTaskOf(task), bytes).
 *     After every output with a -fs limit: JudgeOutput (CutRule.h); a cut output is renamed with
 *       CutOutputPath and its result says CutText.
 *
 * Sizes a user reads are in the split list's own unit (FormatSplitSize, SizeModel.h).
 */
namespace quillet::sizing {

/// A disc, or the Custom size, as a plan's capacity.
struct DiscCapacity
{
    std::string name; ///< as a user reads it: "DVD-5", "BD-25", "Custom"
    double bytes = 0;
};

/**
 * The capacity of a split entry: what the engine's -fs limit lets an output hold (a preset's
 * KiB, the Custom size x 1000 KiB). Nothing for "No split", a Custom size of 0 (no limit) and
 * entries that name no size.
 */
std::optional<DiscCapacity> CapacityOf(std::string_view split_choice, int custom_split_mb);

/// What a split choice limits.
enum class SplitScope {
    None, ///< nothing: "No split", or a profile whose options have no -fs
    EachOutput, ///< every output on its own (the engine's -fs limit applies to each)
    WholeBatch, ///< the batch together: a disc-family profile, whose outputs share the disc
};

/**
 * The one rule for what the split choice limits: a profile without -fs in Para is not limited;
 * a disc-family profile (IsDiscFamily: its outputs' limits shrink as the disc fills) shares one
 * disc; any other is limited output by output.
 */
SplitScope ScopeOf(const ProfileRecord &current, std::string_view split_choice, int custom_split_mb,
                   bool same_profile);

/**
 * The refusal before converting: "These 14 files need at least 5.6 GB at the lowest quality this
 * profile allows; DVD-5 holds 4.2 GB", in the user's language.
 */
std::string CannotFitText(const Texts &texts, int file_count, double lowest_bytes,
                          const DiscCapacity &capacity);

/// An output may come out this much above its planned size before it has to be encoded again:
/// the model's own error, which re-planning the rest absorbs.
inline constexpr double kOvershootTolerance = 0.05;
/// A second encode aims this far under its share, so that it lands within it.
inline constexpr double kEncodeAgainMargin = 0.97;
/// Encodes of one output at most (the first one included).
inline constexpr int kMaxEncodesEach = 3;

/// What the driver does after an output.
struct NextStep
{
    enum class Action {
        Continue, ///< keep it; the rest of the batch is re-planned
        EncodeAgain, ///< encode it again at video_kbps, in two passes, before the next task
    };
    Action action = Action::Continue;
    double video_kbps = 0;
};

/**
 * A batch's plan carried through its run. Made once before the first engine run; told the size
 * of each output as it is made; re-plans the outputs still to come after each.
 *
 * The overshoot rule: an output that comes out more than kOvershootTolerance above its planned
 * size while the shares bind (a Planned batch), or that leaves the outputs still to come less
 * than their lowest rates need, is encoded again before the next task, at the rate that lands it
 * kEncodeAgainMargin under its share (its previous rate scaled by how far the encoder missed),
 * never below its lowest rate, at most kMaxEncodesEach times in all. Anything smaller is kept,
 * and the rest shares what is left.
 */
class DiscBudget
{
public:
    DiscBudget(std::vector<PlanTask> tasks, double capacity_bytes);

    /// The current plan: the first one, or the latest re-plan.
    const BatchPlan &Plan() const { return m_plan; }
    const std::vector<PlanTask> &Tasks() const { return m_tasks; }

    /// Output index was made with real_bytes; what comes next.
    NextStep OutputFinished(std::size_t index, double real_bytes);

    /// Task index made no output (it failed or was skipped): its share goes to the rest.
    void OutputMissing(std::size_t index);

private:
    void Replan();
    double LowestBytes(std::size_t index) const;

    std::vector<PlanTask> m_tasks;
    double m_capacity_bytes;
    std::vector<std::optional<double>> m_made;
    std::vector<double> m_used_kbps; ///< the rate of each task's latest encode; 0 = its own
    std::vector<int> m_encodes;
    BatchPlan m_plan;
};

} // namespace quillet::sizing
