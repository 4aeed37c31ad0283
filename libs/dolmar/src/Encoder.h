// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AvOwners.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace dolmar {

/// One encoder of the output. It is configured by a callback between allocation and opening so
/// that every setting is in place before avcodec_open2 reads them.
class Encoder
{
public:
    /// Receives each packet; returns false to stop encoding (the output reached its size limit).
    using PacketSink = std::function<bool(AVPacket *)>;

    /// Opens codec after configure(ctx) ran. global_header: the muxer wants codec headers once
    /// (MP4, Matroska) instead of in the stream. Throws EngineError with FFmpeg's reason.
    Encoder(const AVCodec *codec, const std::function<void(AVCodecContext *)> &configure,
            bool global_header, const std::string &output_path);
    /// Lets an encoder that was never given a picture close (see Encoder.cpp).
    ~Encoder();
    Encoder(const Encoder &) = delete;
    Encoder &operator=(const Encoder &) = delete;

    AVCodecContext *Context() const { return m_ctx.get(); }

    /// Encodes frame, or drains the encoder when frame is null. Returns false when sink said
    /// stop.
    bool Encode(const AVFrame *frame, const PacketSink &sink);

    int64_t FramesEncoded() const { return m_frames; }

    /// The first pass of a two-pass encode: the statistics the encoder hands out (stats_out)
    /// go to path as they come. Encoders that keep a file of their own hand out none.
    void WriteStatsTo(std::string path) { m_stats_path = std::move(path); }

private:
    void SaveStats(bool last);

    std::string m_stats_path;
    std::unique_ptr<FILE, int (*)(FILE *)> m_stats_file{nullptr, std::fclose};
    CodecContextPtr m_ctx;
    PacketPtr m_packet;
    std::string m_output_path;
    int64_t m_frames = 0;
    bool m_flushed = false;
};

} // namespace dolmar
