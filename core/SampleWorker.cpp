// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/SampleWorker.h"

#include "core/BatchFile.h"
#include "core/KeptBatch.h"

namespace quillet::sizing {

SampleWorker::SampleWorker(const Task &task, ConversionDriver::EngineFn engine,
                           SampleOptions options)
    : m_source(&task)
    , m_recipe(batch_file::RecipeOf(task))
    , m_copy(CopyOf(task))
    , m_estimator(std::move(engine), std::move(options))
    , m_thread([this] {
        m_result = m_estimator.Estimate(*m_copy, [this](double) { return !m_stop.load(); });
        m_done.store(true, std::memory_order_release);
    })
{ }

SampleWorker::~SampleWorker()
{
    Stop();
    m_thread.join();
}

} // namespace quillet::sizing
