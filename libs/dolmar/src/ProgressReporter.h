// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dolmar.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

extern "C" {
#include <libavformat/avio.h>
}

namespace dolmar {

/// The caller's ProgressCallback, paced on a steady clock. The callback is only ever called on
/// the thread that created the reporter (ffmain's caller): there Poll() reports when the interval
/// has passed, and a -1 from the caller is remembered so that every later check says stop. On
/// the stage threads Poll() only answers whether the run is to end, which is all FFmpeg's
/// interrupt callback needs inside long reads and opens.
class ProgressReporter
{
public:
    /// A report every 40 ms leaves room for a late wake-up of the caller's thread within the
    /// promised 100 ms: on a 2-core machine shared with other builds, the caller's thread woke up
    /// to 54 ms late (bench_engine).
    static constexpr std::chrono::milliseconds kInterval{40};

    explicit ProgressReporter(ProgressCallback callback);

    /// Moves the output position, in seconds, that the next report gives; never backwards.
    /// Any thread.
    void SetPosition(double seconds);
    double Position() const { return m_position_s.load(); }

    /// On the caller's thread: reports when the interval has passed. Anywhere: true once the
    /// caller asked to stop or the run is being ended.
    bool Poll();
    /// On the caller's thread: reports now, whenever the last report was. Returns Poll()'s
    /// answer.
    bool Report();

    /// True once the caller asked to stop.
    bool StopRequested() const { return m_stop.load(); }

    /// Makes every later Poll() say stop without the caller having asked: the run failed or
    /// reached its size limit, and FFmpeg's blocking reads must end.
    void Interrupt() { m_interrupted = true; }

    /// Tells the user why the conversion failed (position -1). On the caller's thread.
    void ReportError(const std::string &message);

    /// For AVFormatContext.interrupt_callback of inputs: makes FFmpeg's blocking reads report
    /// progress and end promptly when the caller stops.
    AVIOInterruptCB InterruptCallback();

private:
    static int InterruptCheck(void *opaque);

    ProgressCallback m_callback;
    std::thread::id m_caller;
    std::chrono::steady_clock::time_point m_last_report;
    std::atomic<double> m_position_s{0};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_interrupted{false};
    bool m_in_callback = false;
};

} // namespace dolmar
