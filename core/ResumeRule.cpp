// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ResumeRule.h"

#include "core/BatchFile.h"

#include <algorithm>

namespace quillet {

ResumeVerdict DecideResume(const Task &task, SourceCondition source, const RunFacts &run)
{
    return DecideResume(source, run, batch_file::RecipeOf(task));
}

ResumeVerdict DecideResume(SourceCondition source, const RunFacts &run, const std::string &recipe)
{
    if (source == SourceCondition::Gone)
        return {ResumeStep::SkipSourceGone, std::nullopt};
    if (source == SourceCondition::Changed)
        return {ResumeStep::SkipSourceChanged, std::nullopt};
    if (!run.made && !run.claimed)
        return {};
    if (run.made && run.made->recipe == recipe) {
        const auto stamp = platform::StampOf(run.made->path);
        if (stamp && stamp->regular && stamp->size_bytes == run.made->size_bytes)
            return {ResumeStep::Done, run.made};
    }
    if (run.claimed && run.claimed->recipe == recipe) {
        const auto stamp = platform::StampOf(run.claimed->path);
        if (stamp && stamp->regular)
            return {ResumeStep::Done, MadeOutput{run.claimed->path, stamp->size_bytes, recipe}};
    }
    return {};
}

bool OfferRestore(const KeptBatch &batch)
{
    if (batch.tasks.empty())
        return false;
    if (batch.phase == BatchPhase::Running)
        return true;
    return std::any_of(batch.tasks.begin(), batch.tasks.end(),
                       [](const KeptTask &kept) { return !kept.run.made; });
}

} // namespace quillet
