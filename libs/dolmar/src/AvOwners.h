// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Owners for every FFmpeg object the engine allocates. Each is a std::unique_ptr whose deleter
// calls the matching FFmpeg free function, so no code path (error, stop, exception) can leak or
// double-free, and no function needs a cleanup ladder.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <new>

namespace dolmar {

/// Adapts the FFmpeg free functions that take T** (and null the pointer) to a deleter.
template<typename T, void (*FreeFn)(T **)> struct AvPtrPtrDeleter
{
    void operator()(T *p) const { FreeFn(&p); }
};

/// Adapts the FFmpeg free functions that take T*.
template<typename T, void (*FreeFn)(T *)> struct AvPtrDeleter
{
    void operator()(T *p) const { FreeFn(p); }
};

/// Input contexts are closed with avformat_close_input, which also closes their AVIO.
struct InputContextDeleter
{
    void operator()(AVFormatContext *ctx) const { avformat_close_input(&ctx); }
};

/// Output contexts own an AVIO the caller opened; close it before freeing the context.
struct OutputContextDeleter
{
    void operator()(AVFormatContext *ctx) const
    {
        if (ctx->oformat && !(ctx->oformat->flags & AVFMT_NOFILE))
            avio_closep(&ctx->pb);
        avformat_free_context(ctx);
    }
};

using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;
using CodecContextPtr
    = std::unique_ptr<AVCodecContext, AvPtrPtrDeleter<AVCodecContext, avcodec_free_context>>;
using FramePtr = std::unique_ptr<AVFrame, AvPtrPtrDeleter<AVFrame, av_frame_free>>;
using PacketPtr = std::unique_ptr<AVPacket, AvPtrPtrDeleter<AVPacket, av_packet_free>>;
using FilterGraphPtr
    = std::unique_ptr<AVFilterGraph, AvPtrPtrDeleter<AVFilterGraph, avfilter_graph_free>>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AvPtrDeleter<AVAudioFifo, av_audio_fifo_free>>;
using SwsContextPtr = std::unique_ptr<SwsContext, AvPtrDeleter<SwsContext, sws_freeContext>>;

/// A frame whose allocation failed means the process is out of memory.
inline FramePtr MakeFrame()
{
    FramePtr frame(av_frame_alloc());
    if (!frame)
        throw std::bad_alloc();
    return frame;
}

inline PacketPtr MakePacket()
{
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        throw std::bad_alloc();
    return packet;
}

/// A new reference to src's buffers (no pixel copy).
inline FramePtr CloneFrame(const AVFrame *src)
{
    FramePtr frame(av_frame_clone(src));
    if (!frame)
        throw std::bad_alloc();
    return frame;
}

/// avcodec_decode_subtitle2 fills a caller-owned AVSubtitle whose contents need freeing.
struct DecodedSubtitle
{
    AVSubtitle sub{};
    DecodedSubtitle() = default;
    ~DecodedSubtitle() { avsubtitle_free(&sub); }
    DecodedSubtitle(const DecodedSubtitle &) = delete;
    DecodedSubtitle &operator=(const DecodedSubtitle &) = delete;
};

/// An AVDictionary freed on scope exit; address() hands it to FFmpeg functions that may
/// replace or consume it.
class Dictionary
{
public:
    Dictionary() = default;
    void Set(const char *key, const char *value) { av_dict_set(&m_dict, key, value, 0); }
    AVDictionary **Address() { return &m_dict; }
    AVDictionary *Get() const { return m_dict; }
    ~Dictionary() { av_dict_free(&m_dict); }
    Dictionary(const Dictionary &) = delete;
    Dictionary &operator=(const Dictionary &) = delete;

private:
    AVDictionary *m_dict = nullptr;
};

} // namespace dolmar
