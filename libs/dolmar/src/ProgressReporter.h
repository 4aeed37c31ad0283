// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dolmar.h"

#include <chrono>
#include <string>

extern "C" {
#include <libavformat/avio.h>
}

namespace dolmar {

/// The caller's ProgressCallback, paced on a steady clock. The conversion loop calls poll() after
/// every unit of work; FFmpeg calls the interrupt callback inside long reads and opens. Either way
/// the caller hears the output position at least every kInterval of work, and a -1 from it is
/// remembered so that every later check says stop.
class ProgressReporter
{
public:
    /// A report every 50 ms leaves room for one slow unit of work (a large frame, a flush) within
    /// the promised 100 ms.
    static constexpr std::chrono::milliseconds kInterval{50};

    explicit ProgressReporter(ProgressCallback callback);

    /// The output position, in seconds, that the next report gives.
    void SetPosition(double seconds);
    double Position() const { return m_position_s; }

    /// Reports when the interval has passed; returns true once the caller asked to stop.
    bool Poll();

    bool StopRequested() const { return m_stop; }

    /// Tells the user why the conversion failed (position -1).
    void ReportError(const std::string &message);

    /// For AVFormatContext.interrupt_callback of inputs: makes FFmpeg's blocking reads report
    /// progress and end promptly when the caller stops.
    AVIOInterruptCB InterruptCallback();

private:
    static int Interrupt(void *opaque);

    ProgressCallback m_callback;
    std::chrono::steady_clock::time_point m_last_report;
    double m_position_s = 0;
    bool m_stop = false;
    bool m_in_callback = false;
};

} // namespace dolmar
