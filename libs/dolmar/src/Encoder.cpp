// SPDX-License-Identifier: GPL-3.0-or-later
#include "Encoder.h"

#include "EngineError.h"
#include "LogCapture.h"

#include <string_view>

namespace dolmar {

namespace {

/// SVT-AV1 1.4 waits, in its end of stream and in its close, for a picture it was never given:
/// a run that ends before its first picture (a failure, a stop) would hang there for ever.
bool WaitsForAPicture(const AVCodecContext *ctx)
{
    return ctx->codec && std::string_view(ctx->codec->name) == "libsvtav1";
}

} // namespace

Encoder::Encoder(const AVCodec *codec, const std::function<void(AVCodecContext *)> &configure,
                 bool global_header, const std::string &output_path)
    : m_ctx(avcodec_alloc_context3(codec))
    , m_packet(MakePacket())
    , m_output_path(output_path)
{
    if (!m_ctx)
        throw std::bad_alloc();
    configure(m_ctx.get());
    if (global_header)
        m_ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    LogCapture::TakeLastError();
    CheckAv(avcodec_open2(m_ctx.get(), codec, nullptr),
            std::string("start the ") + codec->name + " encoder for", output_path);
}

Encoder::~Encoder()
{
    if (!m_ctx || m_frames > 0 || !avcodec_is_open(m_ctx.get()) || !WaitsForAPicture(m_ctx.get()))
        return;
    // One blank picture, never drained, lets it close; nothing of it reaches the file.
    FramePtr blank(av_frame_alloc());
    if (!blank)
        return;
    blank->width = m_ctx->width;
    blank->height = m_ctx->height;
    blank->format = m_ctx->pix_fmt;
    blank->pts = 0;
    if (av_frame_get_buffer(blank.get(), 0) >= 0)
        avcodec_send_frame(m_ctx.get(), blank.get());
}

void Encoder::SaveStats(bool last)
{
    if (m_stats_path.empty())
        return;
    if (m_ctx->stats_out && *m_ctx->stats_out) {
        if (!m_stats_file) {
            m_stats_file.reset(std::fopen(m_stats_path.c_str(), "w"));
            if (!m_stats_file)
                ThrowFailed("Could not write the first pass's statistics " + Quoted(m_stats_path));
        }
        if (std::fputs(m_ctx->stats_out, m_stats_file.get()) < 0)
            ThrowFailed("Could not write the first pass's statistics " + Quoted(m_stats_path));
        // The native encoders give one line a picture and keep it until the next: written once.
        m_ctx->stats_out[0] = '\0';
    }
    if (last && m_stats_file && std::fflush(m_stats_file.get()) != 0)
        ThrowFailed("Could not write the first pass's statistics " + Quoted(m_stats_path));
}

bool Encoder::Encode(const AVFrame *frame, const PacketSink &sink)
{
    if (m_flushed)
        return true;
    if (!frame && m_frames == 0 && WaitsForAPicture(m_ctx.get())) {
        m_flushed = true; // nothing to drain, and SVT-AV1 would wait for ever
        return true;
    }
    int ret = avcodec_send_frame(m_ctx.get(), frame);
    if (ret < 0 && ret != AVERROR_EOF)
        ThrowAvError(ret, std::string("encode ") + m_ctx->codec->name + " for", m_output_path);
    if (frame)
        ++m_frames;
    else
        m_flushed = true;
    for (;;) {
        ret = avcodec_receive_packet(m_ctx.get(), m_packet.get());
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) {
            SaveStats(ret == AVERROR_EOF);
            return true;
        }
        if (ret < 0)
            ThrowAvError(ret, std::string("encode ") + m_ctx->codec->name + " for", m_output_path);
        SaveStats(false);
        const bool go_on = sink(m_packet.get());
        av_packet_unref(m_packet.get());
        if (!go_on)
            return false;
    }
}

} // namespace dolmar
