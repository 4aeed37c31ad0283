// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/SampleEstimator.h"
#include "core/Task.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

/**
 * One sample estimate (SampleEstimator) on a thread of its own, made on a copy of a task: the
 * front end's thread stays free, and the user may change or remove the task while it runs. The
 * worker names the task and the recipe it measured; the front end takes the result only for that
 * task as it still is (batch_file::RecipeOf), and polls Done() rather than being called back, so
 * nothing reaches the front end from the worker's thread.
 */
namespace quillet::sizing {

class SampleWorker
{
public:
    /// Starts measuring a copy of task.
    SampleWorker(const Task &task, ConversionDriver::EngineFn engine, SampleOptions options = {});
    /// Stops the measure and waits for its thread (the engine ends within a report or two).
    ~SampleWorker();
    SampleWorker(const SampleWorker &) = delete;
    SampleWorker &operator=(const SampleWorker &) = delete;

    /// Asks the measure to stop at the engine's next report; returns at once.
    void Stop() { m_stop.store(true); }
    /// Whether the thread's work is over: Result() may be read.
    bool Done() const { return m_done.load(std::memory_order_acquire); }

    /// The task measured, for comparison only: it may be gone.
    const Task *Source() const { return m_source; }
    /// Its recipe when the measure started.
    const std::string &Recipe() const { return m_recipe; }
    /// The measure; only once Done().
    const SampleResult &Result() const { return m_result; }

private:
    const Task *m_source;
    std::string m_recipe;
    std::unique_ptr<Task> m_copy;
    SampleEstimator m_estimator;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    SampleResult m_result;
    std::thread m_thread; ///< last: started once everything it uses is made
};

} // namespace quillet::sizing
