// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/*
 * The scheduler of one conversion: which thread does what, what joins them, and how a run ends.
 *
 *   caller's thread       ffmain's caller. It does no conversion work: it waits on the scheduler
 *                         and makes every callback itself, the output position every 40 ms; a -1
 *                         from the caller becomes Stop().
 *   conductor             Transcoder's run, on a thread of its own: opens the inputs in turn,
 *                         decides the output, opens the encoders and the file, and for each input
 *                         runs a SegmentRunner, whose demuxer it is.
 *
 *   per input (SegmentRunner):
 *     DemuxerStage --packets--> DecoderStage --frames--> FilterGraphStage --frames--> session
 *     (conductor)               one per source stream    one per output stream        one
 *   per run (OutputSession):
 *     session --frames--> EncoderStage --packets--> MuxerStage --> Muxer --> the file
 *                         one per output stream     one
 *
 * The session is OutputSession's own logic (the joined clock of a merged run, sound held back
 * to the picture), fed from one queue by every filter graph, so that it runs on one thread at a
 * time: the session thread during an input, the conductor between inputs and at the end.
 *
 * Every arrow is a ThreadQueue, bounded in items and bytes: a fast stage waits for a slow one
 * instead of filling memory, and the video encoder, the slowest stage, gets the cores that the
 * others leave. No stage ever waits for another in a cycle: nothing downstream of the session
 * waits for anything upstream of it, and the session never waits for a particular stream (the
 * sound it holds back is bounded by time, not by a queue). Each end of a queue can close it for
 * the other, so a stage that has what it wants (the -t point) stops the ones feeding it, and
 * the end of an input reaches every stage after it.
 *
 * How a run ends:
 *   - finished: the demuxer reaches the end; each stage drains what it holds and ends its
 *     output queue; the conductor writes the trailer.
 *   - Stop() (the caller's -1) and the -fs limit cut the upstream queues at once; after a stop
 *     the encoders still hand the muxer what they hold, for at most kStopDrain, and the file is
 *     closed where the conversion got to.
 *   - Fail(): the first failure of any stage is kept, every queue is aborted, every stage
 *     returns, and the caller's thread rethrows that failure, which ffmain reports.
 * A stage blocked inside FFmpeg rather than on a queue returns at its next call: FFmpeg's
 * interrupt callback ends reads, and the encoders and filters work one frame at a time.
 */

#include "ThreadQueue.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace dolmar {

class ProgressReporter;

/// The kinds of stage, for the test hook below.
enum class StageKind { Demuxer, Decoder, FilterGraph, Session, Encoder, Muxer };
inline constexpr std::size_t kStageKinds = 6;

/// A test's way to make a stage fail where no real input would: called by each stage for every
/// item it takes, with its kind and how many items stages of that kind have taken so far; what
/// it throws is that stage's failure. Empty in a real run.
using StageFault = std::function<void(StageKind kind, int64_t item)>;

class Scheduler;

/// A stage's thread. Destroying one that still runs aborts the whole run first, so that an
/// exception unwinding the conductor never leaves a thread behind using what it destroys.
class StageThread
{
public:
    StageThread() = default;
    StageThread(Scheduler &scheduler, std::thread thread);
    StageThread(StageThread &&other) noexcept = default;
    StageThread &operator=(StageThread &&other) noexcept;
    ~StageThread();

    void Join();

private:
    Scheduler *m_scheduler = nullptr;
    std::thread m_thread;
};

class Scheduler
{
public:
    /// After a stop the encoders hand over what they hold for at most this long: a stop must end
    /// the run within half a second, and one more call into a busy encoder on a loaded machine
    /// can take as long again.
    static constexpr std::chrono::milliseconds kStopDrain{100};

    explicit Scheduler(ProgressReporter &progress, StageFault fault = {});
    ~Scheduler();
    Scheduler(const Scheduler &) = delete;
    Scheduler &operator=(const Scheduler &) = delete;

    /// Runs conduct on the conductor thread while the calling thread reports progress; returns
    /// once conduct has returned, and rethrows the first failure of any stage.
    void Run(const std::function<void()> &conduct);

    /// Starts body on a thread of its own. What it throws is the run's failure.
    StageThread Spawn(std::function<void()> body);

    /// The caller asked to stop.
    void Stop();
    /// The muxer reached the -fs size.
    void SizeLimitReached();
    /// Keeps error if it is the first, and ends the run.
    void Fail(std::exception_ptr error);
    /// Aborts every queue and FFmpeg's reads; for unwinding, records no failure.
    void AbortAll();

    /// The upstream queues are cut: stop, size limit or failure.
    bool Cut() const { return m_cut.load(); }
    bool Stopped() const { return m_stopped.load(); }
    bool SizeLimited() const { return m_size_limited.load(); }
    bool Failed() const { return m_failed.load(); }
    /// When the stop came (valid once Stopped()).
    std::chrono::steady_clock::time_point StopTime() const;

    /// Called by each stage for every item it takes (the test hook).
    void Checkpoint(StageKind kind);

    ProgressReporter &Progress() const { return m_progress; }

    // For QueueBase.
    void Watch(QueueBase *queue);
    void Unwatch(QueueBase *queue);

private:
    void CutQueues(bool everything);

    ProgressReporter &m_progress;
    StageFault m_fault;
    std::array<std::atomic<int64_t>, kStageKinds> m_items{};

    mutable std::mutex m_mutex;
    std::condition_variable m_conducted_changed;
    bool m_conducted = false;
    std::exception_ptr m_error;
    std::chrono::steady_clock::time_point m_stop_time;

    std::mutex m_queues_mutex;
    std::vector<QueueBase *> m_queues;
    bool m_upstream_cut = false; ///< guarded by m_queues_mutex, like the two below
    bool m_everything_cut = false;

    std::atomic<bool> m_cut{false};
    std::atomic<bool> m_stopped{false};
    std::atomic<bool> m_size_limited{false};
    std::atomic<bool> m_failed{false};
};

} // namespace dolmar
