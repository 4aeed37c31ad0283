// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/SampleEstimates.h"

#include "core/BatchFile.h"
#include "core/ProfileApplier.h"

namespace quillet::sizing {

SampleEstimates::SampleEstimates(ConversionDriver::EngineFn engine, SampleOptions options)
    : m_estimator(std::move(engine), std::move(options))
{ }

bool SampleEstimates::Wanted(const Task &task) const
{
    if (!EstimateIsApproximate(task))
        return false;
    const auto found = m_measures.find(&task);
    return found == m_measures.end() || found->second.recipe != batch_file::RecipeOf(task);
}

int SampleEstimates::MeasureNext(TaskList &tasks, const SampleEstimator::ProgressFn &progress)
{
    for (int i = 0; i < tasks.Count(); ++i) {
        Task &task = *tasks.Get(i);
        if (!Wanted(task))
            continue;
        const SampleResult result = m_estimator.Estimate(task, progress);
        if (result.status == SampleResult::Status::Cancelled)
            return -1;
        Measure &measure = m_measures[&task];
        measure.recipe = batch_file::RecipeOf(task);
        measure.bytes.reset();
        if (result.status == SampleResult::Status::Measured)
            measure.bytes = result.bytes;
        return i;
    }
    return -1;
}

std::optional<double> SampleEstimates::Bytes(const Task &task) const
{
    const auto found = m_measures.find(&task);
    if (found == m_measures.end() || found->second.recipe != batch_file::RecipeOf(task))
        return std::nullopt;
    return found->second.bytes;
}

} // namespace quillet::sizing
