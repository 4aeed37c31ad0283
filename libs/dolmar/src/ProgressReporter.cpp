// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressReporter.h"

namespace dolmar {

ProgressReporter::ProgressReporter(ProgressCallback callback)
    : m_callback(callback)
    , m_caller(std::this_thread::get_id())
    , m_last_report(std::chrono::steady_clock::now())
{ }

void ProgressReporter::SetPosition(double seconds)
{
    double current = m_position_s.load();
    while (seconds > current && !m_position_s.compare_exchange_weak(current, seconds)) { }
}

bool ProgressReporter::Poll()
{
    if (m_stop || m_interrupted)
        return true;
    // The time of the last report is the caller's thread's alone.
    if (std::this_thread::get_id() != m_caller
        || std::chrono::steady_clock::now() - m_last_report < kInterval)
        return false;
    return Report();
}

bool ProgressReporter::Report()
{
    // Once the caller has said stop it hears no more; a run ending for another reason (a
    // failure, the -fs size) still reports until it has ended.
    if (m_stop)
        return true;
    if (!m_callback || m_in_callback || std::this_thread::get_id() != m_caller)
        return m_interrupted;
    m_last_report = std::chrono::steady_clock::now();
    // The callback pumps the caller's event loop; a nested FFmpeg interrupt check must not call
    // back into it from inside that pump.
    m_in_callback = true;
    const int answer = m_callback("", m_position_s.load());
    m_in_callback = false;
    if (answer == -1)
        m_stop = true;
    return m_stop || m_interrupted;
}

void ProgressReporter::ReportError(const std::string &message)
{
    if (m_callback)
        m_callback(message.c_str(), -1.0);
}

AVIOInterruptCB ProgressReporter::InterruptCallback()
{
    return AVIOInterruptCB{&ProgressReporter::InterruptCheck, this};
}

int ProgressReporter::InterruptCheck(void *opaque)
{
    return static_cast<ProgressReporter *>(opaque)->Poll() ? 1 : 0;
}

} // namespace dolmar
