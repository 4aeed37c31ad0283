// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "StageItems.h"

#include <map>

namespace dolmar {

class InputFile;
class Scheduler;

/// Reads one input's packets (InputFile: the -ss seek, mended clocks, damage that ends the
/// input) and hands each to the decoder of its stream. Runs on the conductor's thread.
class DemuxerStage
{
public:
    DemuxerStage(Scheduler &scheduler, InputFile &input);

    /// Packets of stream go to queue.
    void Route(int stream, PacketQueue &queue);

    /// Reads until the input ends, every decoder has what it wants, or the run is cut; then
    /// ends every decoder's input. Throws EngineError when the demuxer stops making progress.
    void Run();

private:
    struct Destination
    {
        PacketQueue *queue = nullptr;
        bool open = true;
    };

    bool AnyOpen() const;
    void EndRoutes();

    Scheduler &m_scheduler;
    InputFile &m_input;
    std::map<int, Destination> m_routes;
};

} // namespace dolmar
