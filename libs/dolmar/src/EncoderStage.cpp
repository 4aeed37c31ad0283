// SPDX-License-Identifier: GPL-3.0-or-later
#include "EncoderStage.h"

#include "Encoder.h"
#include "MuxerStage.h"

namespace dolmar {

EncoderStage::EncoderStage(Scheduler &scheduler, Encoder &encoder, MuxerStage &muxer,
                           int stream_index, QueueLimits limits)
    : m_scheduler(scheduler)
    , m_encoder(encoder)
    , m_muxer(muxer)
    , m_stream_index(stream_index)
    , m_input(scheduler, QueueScope::Upstream, limits)
{ }

EncoderStage::~EncoderStage() = default;

bool EncoderStage::Send(const AVFrame *frame)
{
    return m_input.Send(CloneFrame(frame), FrameBytes(frame));
}

void EncoderStage::Finish()
{
    m_input.FinishSending();
}

void EncoderStage::Start()
{
    m_thread = m_scheduler.Spawn([this] { Run(); });
}

void EncoderStage::Join()
{
    m_thread.Join();
}

bool EncoderStage::Deliver(AVPacket *packet)
{
    if (m_scheduler.Stopped()
        && std::chrono::steady_clock::now() - m_scheduler.StopTime() > Scheduler::kStopDrain)
        return false;
    return m_muxer.Send(packet, m_stream_index, m_encoder.Context()->time_base);
}

void EncoderStage::Run()
{
    struct DoneOnExit
    {
        MuxerStage &muxer;
        ~DoneOnExit() { muxer.SenderDone(); }
    } done_on_exit{m_muxer};

    const Encoder::PacketSink sink = [this](AVPacket *packet) { return Deliver(packet); };
    while (std::optional<FramePtr> frame = m_input.Receive()) {
        m_scheduler.Checkpoint(StageKind::Encoder);
        if (!m_encoder.Encode(frame->get(), sink))
            return; // the muxer wants no more
    }
    // The end of the input, or a stop: what the encoder holds still goes into the file. At the
    // size limit or after a failure nothing more may be written.
    if (!m_scheduler.SizeLimited() && !m_scheduler.Failed())
        m_encoder.Encode(nullptr, sink);
}

} // namespace dolmar
