// SPDX-License-Identifier: GPL-3.0-or-later
#include "Scheduler.h"

#include "ProgressReporter.h"

#include <algorithm>

namespace dolmar {

StageThread::StageThread(Scheduler &scheduler, std::thread thread)
    : m_scheduler(&scheduler)
    , m_thread(std::move(thread))
{ }

StageThread &StageThread::operator=(StageThread &&other) noexcept
{
    if (this != &other) {
        Join();
        m_scheduler = other.m_scheduler;
        m_thread = std::move(other.m_thread);
    }
    return *this;
}

StageThread::~StageThread()
{
    if (m_thread.joinable()) {
        // Only an exception gets here with the thread still running: whatever the thread uses
        // is about to be destroyed, so the whole run ends first.
        m_scheduler->AbortAll();
        m_thread.join();
    }
}

void StageThread::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

QueueBase::QueueBase(Scheduler &scheduler, QueueScope scope)
    : m_scheduler(scheduler)
    , m_scope(scope)
{ }

QueueBase::~QueueBase()
{
    Unregister();
}

void QueueBase::Register()
{
    m_registered = true;
    m_scheduler.Watch(this);
}

void QueueBase::Unregister()
{
    if (m_registered) {
        m_registered = false;
        m_scheduler.Unwatch(this);
    }
}

Scheduler::Scheduler(ProgressReporter &progress, StageFault fault)
    : m_progress(progress)
    , m_fault(std::move(fault))
{ }

Scheduler::~Scheduler() = default;

void Scheduler::Run(const std::function<void()> &conduct)
{
    StageThread conductor = Spawn([&] {
        try {
            conduct();
        } catch (...) {
            Fail(std::current_exception());
        }
        std::lock_guard lock(m_mutex);
        m_conducted = true;
        m_conducted_changed.notify_all();
    });
    bool stop_sent = false;
    std::unique_lock lock(m_mutex);
    while (!m_conducted) {
        m_conducted_changed.wait_for(lock, ProgressReporter::kInterval);
        lock.unlock();
        // The caller hears from the run here and only here, on its own thread, on every wake-up:
        // a report skipped for coming a hair early would leave a gap of two intervals.
        if (m_progress.Report() && m_progress.StopRequested() && !stop_sent) {
            stop_sent = true;
            Stop();
        }
        lock.lock();
    }
    lock.unlock();
    conductor.Join();
    if (m_error)
        std::rethrow_exception(m_error);
}

StageThread Scheduler::Spawn(std::function<void()> body)
{
    return StageThread(*this, std::thread([this, body = std::move(body)] {
        try {
            body();
        } catch (...) {
            Fail(std::current_exception());
        }
    }));
}

void Scheduler::Stop()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped)
            return;
        m_stop_time = std::chrono::steady_clock::now();
        m_stopped = true;
    }
    m_cut = true;
    CutQueues(false);
}

std::chrono::steady_clock::time_point Scheduler::StopTime() const
{
    std::lock_guard lock(m_mutex);
    return m_stop_time;
}

void Scheduler::SizeLimitReached()
{
    m_size_limited = true;
    m_cut = true;
    m_progress.Interrupt();
    CutQueues(false);
}

void Scheduler::Fail(std::exception_ptr error)
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_error)
            m_error = std::move(error);
    }
    m_failed = true;
    AbortAll();
}

void Scheduler::AbortAll()
{
    m_cut = true;
    m_progress.Interrupt();
    CutQueues(true);
}

void Scheduler::CutQueues(bool everything)
{
    std::lock_guard lock(m_queues_mutex);
    m_upstream_cut = true;
    m_everything_cut = m_everything_cut || everything;
    for (QueueBase *queue : m_queues)
        if (everything || queue->Scope() == QueueScope::Upstream)
            queue->Abort();
}

void Scheduler::Watch(QueueBase *queue)
{
    std::lock_guard lock(m_queues_mutex);
    m_queues.push_back(queue);
    // A queue made after the cut would wait for a stage that has already gone.
    if (m_everything_cut || (m_upstream_cut && queue->Scope() == QueueScope::Upstream))
        queue->Abort();
}

void Scheduler::Unwatch(QueueBase *queue)
{
    std::lock_guard lock(m_queues_mutex);
    m_queues.erase(std::remove(m_queues.begin(), m_queues.end(), queue), m_queues.end());
}

void Scheduler::Checkpoint(StageKind kind)
{
    if (!m_fault)
        return;
    const int64_t item = ++m_items[static_cast<std::size_t>(kind)];
    m_fault(kind, item);
}

} // namespace dolmar
