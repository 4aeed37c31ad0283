// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Scheduler.h"
#include "StageItems.h"

namespace dolmar {

class Muxer;

/// Writes the encoders' packets on a thread of its own: the Muxer interleaves them, keeps the
/// -fs limit and finds write errors. Reaching the limit ends the run's input side at once.
class MuxerStage
{
public:
    /// senders: how many encoders feed it; it ends when each has said SenderDone().
    MuxerStage(Scheduler &scheduler, Muxer &muxer, int senders);
    ~MuxerStage();
    MuxerStage(const MuxerStage &) = delete;
    MuxerStage &operator=(const MuxerStage &) = delete;

    /// Takes the packet's data (it is left empty). False once nothing more may be written.
    bool Send(AVPacket *packet, int stream_index, AVRational time_base);
    void SenderDone();

    void Start();
    void Join();

private:
    void Run();

    Scheduler &m_scheduler;
    Muxer &m_muxer;
    MuxQueue m_input;
    StageThread m_thread; ///< last: joined before the rest goes
};

} // namespace dolmar
