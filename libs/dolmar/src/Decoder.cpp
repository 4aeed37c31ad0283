// SPDX-License-Identifier: GPL-3.0-or-later
#include "Decoder.h"

#include "EngineError.h"

namespace dolmar {

Decoder::Decoder(const AVStream *stream, int threads, const std::string &path)
    : m_frame(MakeFrame())
    , m_path(path)
{
    const AVCodecParameters *par = stream->codecpar;
    const AVCodec *codec = avcodec_find_decoder(par->codec_id);
    if (!codec)
        ThrowFailed("This system has no decoder for the "
                    + std::string(avcodec_get_name(par->codec_id)) + " stream of " + Quoted(path)
                    + ".");
    m_ctx.reset(avcodec_alloc_context3(codec));
    if (!m_ctx)
        throw std::bad_alloc();
    CheckAv(avcodec_parameters_to_context(m_ctx.get(), par), "read the stream parameters of", path);
    m_ctx->pkt_timebase = stream->time_base;
    m_ctx->thread_count = threads;
    m_ctx->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    CheckAv(avcodec_open2(m_ctx.get(), codec, nullptr),
            std::string("open the ") + avcodec_get_name(par->codec_id) + " decoder for", path);
}

void Decoder::Decode(const AVPacket *packet, const FrameSink &sink)
{
    if (m_drained)
        return;
    int ret = avcodec_send_packet(m_ctx.get(), packet);
    if (ret == AVERROR(EAGAIN)) {
        // Never expected, since every send is followed by a full receive; draining first and
        // sending again keeps the packet rather than losing it.
        Receive(sink);
        ret = avcodec_send_packet(m_ctx.get(), packet);
    }
    if (ret < 0 && ret != AVERROR_EOF) {
        // A damaged packet: skip it and keep the decoder going.
        ++m_errors;
    }
    if (!packet)
        m_drained = true;
    Receive(sink);
}

void Decoder::Receive(const FrameSink &sink)
{
    int errors_in_a_row = 0;
    for (;;) {
        const int ret = avcodec_receive_frame(m_ctx.get(), m_frame.get());
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            return;
        if (ret < 0) {
            // Threaded decoders report a bad packet here and carry on at the next call; a
            // decoder that only ever answers with errors is left alone until the next packet.
            ++m_errors;
            if (++errors_in_a_row > 64)
                return;
            continue;
        }
        errors_in_a_row = 0;
        AVFrame *frame = m_frame.get();
        frame->pts = frame->best_effort_timestamp;
        if (frame->pts == AV_NOPTS_VALUE)
            frame->pts = m_next_pts;
        if (frame->pts != AV_NOPTS_VALUE) {
            int64_t duration = frame->pkt_duration;
            if (duration <= 0 && m_ctx->codec_type == AVMEDIA_TYPE_AUDIO && frame->sample_rate > 0)
                duration = av_rescale_q(frame->nb_samples, AVRational{1, frame->sample_rate},
                                        m_ctx->pkt_timebase);
            m_next_pts = frame->pts + (duration > 0 ? duration : 0);
        }
        ++m_frames;
        sink(frame);
        av_frame_unref(frame);
    }
}

} // namespace dolmar
