// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Scheduler.h"
#include "StageItems.h"

namespace dolmar {

class Encoder;
class MuxerStage;

/// Runs one encoder of the output on a thread of its own: frames from the session in, packets
/// to the muxer out. At the end of its input it drains the encoder (libx264 holds a second or two
/// of pictures); after a stop it drains for Scheduler::kStopDrain at most, so that the stop stays
/// prompt; after the -fs limit or a failure, not at all.
class EncoderStage
{
public:
    EncoderStage(Scheduler &scheduler, Encoder &encoder, MuxerStage &muxer, int stream_index,
                 QueueLimits limits);
    ~EncoderStage();
    EncoderStage(const EncoderStage &) = delete;
    EncoderStage &operator=(const EncoderStage &) = delete;

    /// Queues a new reference to frame. False when the run is being cut.
    bool Send(const AVFrame *frame);
    /// No more frames.
    void Finish();

    void Start();
    void Join();

private:
    void Run();
    bool Deliver(AVPacket *packet);

    Scheduler &m_scheduler;
    Encoder &m_encoder;
    MuxerStage &m_muxer;
    int m_stream_index;
    FrameQueue m_input;
    StageThread m_thread; ///< last: joined before the rest goes
};

} // namespace dolmar
