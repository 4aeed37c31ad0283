// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/BatchWriter.h"

#include "core/BatchFile.h"
#include "platform/AtomicFile.h"

#include <chrono>
#include <utility>

namespace quillet {

namespace {

double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

BatchWriter::BatchWriter(std::filesystem::path file)
    : m_file(std::move(file))
    , m_thread([this] { Run(); })
{ }

BatchWriter::~BatchWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void BatchWriter::Submit(KeptBatch batch)
{
    {
        const std::lock_guard lock(m_mutex);
        m_queued = std::move(batch);
    }
    m_changed.notify_all();
}

bool BatchWriter::Wait()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_queued && !m_busy; });
    return m_last_ok;
}

BatchWriter::Statistics BatchWriter::Figures() const
{
    const std::lock_guard lock(m_mutex);
    return m_figures;
}

void BatchWriter::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_queued || m_stopping; });
        if (!m_queued)
            return; // stopping, with everything written
        KeptBatch batch = std::move(*m_queued);
        m_queued.reset();
        m_busy = true;
        lock.unlock();

        const auto started = std::chrono::steady_clock::now();
        const std::string text = batch_file::Encode(batch);
        const double encode_ms = MillisecondsSince(started);
        // The snapshot's tasks go before the disk is waited for.
        batch = {};
        const auto writing = std::chrono::steady_clock::now();
        std::string error;
        const bool ok = platform::ReplaceFileAtomically(m_file, text, &error);
        const double write_ms = MillisecondsSince(writing);

        lock.lock();
        m_busy = false;
        m_last_ok = ok;
        m_figures.last_encode_ms = encode_ms;
        m_figures.last_write_ms = write_ms;
        m_figures.last_bytes = text.size();
        if (ok) {
            ++m_figures.writes;
        } else {
            ++m_figures.failures;
            m_figures.last_error = error;
        }
        m_changed.notify_all();
    }
}

} // namespace quillet
