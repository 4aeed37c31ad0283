// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/SampleEstimator.h"
#include "core/TaskList.h"

#include <map>
#include <optional>
#include <string>

/**
 * The sample estimates of a task list, made while the program is idle: the tasks whose size the
 * model can only guess (EstimateIsApproximate) are measured one at a time by SampleEstimator, and
 * each measure holds for as long as the task's recipe (its settings, trims, tracks ...) stays as
 * it was. The window calls MeasureNext from an idle timer (never while converting: the engine
 * runs one conversion at a time) with a progress function that pumps its events and answers
 * false to give way to the user, and shows Bytes() in place of the guess
 * (EstimatedSizeText(task, Bytes(task))).
 */
namespace quillet::sizing {

class SampleEstimates
{
public:
    explicit SampleEstimates(ConversionDriver::EngineFn engine, SampleOptions options = {});

    /// Whether task's size is a guess that no sample of its current recipe has measured yet.
    bool Wanted(const Task &task) const;

    /**
     * Measures the first task of tasks that Wanted() says needs it.
     * @return the index measured (its Bytes() are known now, or it failed and is not tried again
     *         for the same recipe); -1 when none wanted one, or the progress function cancelled
     */
    int MeasureNext(TaskList &tasks, const SampleEstimator::ProgressFn &progress = {});

    /// The measured size of task for its current recipe.
    std::optional<double> Bytes(const Task &task) const;

private:
    struct Measure
    {
        std::string recipe;
        std::optional<double> bytes; ///< none when the sample failed
    };
    SampleEstimator m_estimator;
    std::map<const Task *, Measure> m_measures;
};

} // namespace quillet::sizing
