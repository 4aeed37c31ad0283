// SPDX-License-Identifier: GPL-3.0-or-later
#include "MuxerStage.h"

#include "Muxer.h"

namespace dolmar {

MuxerStage::MuxerStage(Scheduler &scheduler, Muxer &muxer, int senders)
    : m_scheduler(scheduler)
    , m_muxer(muxer)
    , m_input(scheduler, QueueScope::Output, kMuxLimits, senders)
{ }

MuxerStage::~MuxerStage() = default;

bool MuxerStage::Send(AVPacket *packet, int stream_index, AVRational time_base)
{
    PacketPtr moved = MakePacket();
    av_packet_move_ref(moved.get(), packet);
    const std::size_t bytes = PacketBytes(moved.get());
    return m_input.Send(MuxItem{std::move(moved), stream_index, time_base}, bytes);
}

void MuxerStage::SenderDone()
{
    m_input.FinishSending();
}

void MuxerStage::Start()
{
    m_thread = m_scheduler.Spawn([this] { Run(); });
}

void MuxerStage::Join()
{
    m_thread.Join();
}

void MuxerStage::Run()
{
    while (std::optional<MuxItem> item = m_input.Receive()) {
        m_scheduler.Checkpoint(StageKind::Muxer);
        if (!m_muxer.Write(item->packet.get(), item->stream_index, item->time_base)) {
            // The flag first: an encoder refused by the queue below reads it to know why.
            m_scheduler.SizeLimitReached();
            m_input.FinishReceiving();
            return;
        }
    }
}

} // namespace dolmar
