// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Decoder.h"
#include "Scheduler.h"
#include "StageItems.h"

#include <optional>
#include <vector>

namespace dolmar {

class InputFile;

/// Decodes one source stream of an input on a thread of its own and hands every frame to the
/// filter graphs of the output streams it feeds (one for the picture; one or more for sound,
/// when -map names a track twice).
///
/// Frames leave on the source's clock counted from its start (source seconds, the clock of
/// -ss/-t and of subtitle files). Only what the output wants is handed on: a picture before the
/// -ss point is left out, and a frame at or past the -t point ends each graph's input there
/// instead. A frame whose timestamp leaps past the input's stated end is damage, and is left out.
class DecoderStage
{
public:
    /// threads 0: every core. Opens the decoder; throws EngineError.
    DecoderStage(Scheduler &scheduler, InputFile &input, int stream, int threads);
    ~DecoderStage();
    DecoderStage(const DecoderStage &) = delete;
    DecoderStage &operator=(const DecoderStage &) = delete;

    /// Frames go to queue too. Call before Start.
    void Feed(RouteQueue &queue);
    PacketQueue &Input() { return m_input_queue; }

    void Start();
    void Join();

    int64_t FramesDecoded() const { return m_decoder.FramesDecoded(); }

private:
    struct Destination
    {
        RouteQueue *queue = nullptr;
        bool open = true;
    };

    void Run();
    /// False once no graph wants more.
    bool Dispatch(AVFrame *frame);
    bool Stray(const AVFrame *frame, double start_s);
    bool AnyOpen() const;

    Scheduler &m_scheduler;
    InputFile &m_input;
    int m_stream;
    Decoder m_decoder;
    PacketQueue m_input_queue;
    std::vector<Destination> m_destinations;
    double m_trim_start_s = 0;
    std::optional<double> m_trim_end_s;
    /// Where the stream's last frame ended (source seconds).
    std::optional<double> m_end_s;
    StageThread m_thread; ///< last: joined before the rest goes
};

} // namespace dolmar
