// SPDX-License-Identifier: GPL-3.0-or-later
#include "DemuxerStage.h"

#include "InputFile.h"
#include "Scheduler.h"

namespace dolmar {

DemuxerStage::DemuxerStage(Scheduler &scheduler, InputFile &input)
    : m_scheduler(scheduler)
    , m_input(input)
{ }

void DemuxerStage::Route(int stream, PacketQueue &queue)
{
    m_routes[stream] = Destination{&queue, true};
}

bool DemuxerStage::AnyOpen() const
{
    for (const auto &[stream, route] : m_routes)
        if (route.open)
            return true;
    return false;
}

void DemuxerStage::EndRoutes()
{
    for (auto &[stream, route] : m_routes)
        route.queue->FinishSending();
}

void DemuxerStage::Run()
{
    // Whatever ends the reading, the decoders hear of it: a decoder waiting for a packet that
    // never comes would hold the whole run.
    struct EndOnExit
    {
        DemuxerStage &stage;
        ~EndOnExit() { stage.EndRoutes(); }
    } end_on_exit{*this};

    m_input.SeekToStart();
    while (AnyOpen() && !m_scheduler.Cut()) {
        PacketPtr packet = MakePacket();
        if (!m_input.Read(packet.get()))
            break;
        m_scheduler.Checkpoint(StageKind::Demuxer);
        const auto route = m_routes.find(packet->stream_index);
        if (route == m_routes.end() || !route->second.open)
            continue;
        const std::size_t bytes = PacketBytes(packet.get());
        // A decoder that has all it wants (the -t point) refuses more.
        if (!route->second.queue->Send(std::move(packet), bytes))
            route->second.open = false;
    }
}

} // namespace dolmar
