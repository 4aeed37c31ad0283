// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AvOwners.h"

#include <cstdint>
#include <functional>
#include <string>

namespace dolmar {

/// One decoder for one source stream, using every core (frame and slice threads).
/// Damaged packets are skipped, as a player would: the run fails later only if nothing at all
/// could be decoded.
class Decoder
{
public:
    using FrameSink = std::function<void(AVFrame *)>;

    /// Opens a decoder for stream; threads 0 means one per core. Throws EngineError.
    Decoder(const AVStream *stream, int threads, const std::string &path);

    AVCodecContext *Context() const { return m_ctx.get(); }

    /// Decodes packet (null drains the decoder at the end of the input) and hands every frame
    /// to sink with frame->pts set to the best timestamp known.
    void Decode(const AVPacket *packet, const FrameSink &sink);

    int64_t FramesDecoded() const { return m_frames; }
    int64_t Errors() const { return m_errors; }

private:
    void Receive(const FrameSink &sink);

    CodecContextPtr m_ctx;
    FramePtr m_frame;
    std::string m_path;
    int64_t m_frames = 0;
    int64_t m_errors = 0;
    int64_t m_next_pts = AV_NOPTS_VALUE;
    bool m_drained = false;
};

} // namespace dolmar
