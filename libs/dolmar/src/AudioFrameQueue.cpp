// SPDX-License-Identifier: GPL-3.0-or-later
#include "AudioFrameQueue.h"

#include "EngineError.h"

extern "C" {
#include <libavutil/samplefmt.h>
}

#include <algorithm>

namespace dolmar {

namespace {

// Encoders that take any frame length (PCM) are fed in blocks of this many samples.
constexpr int kVariableFrameSamples = 1024;

} // namespace

AudioFrameQueue::AudioFrameQueue(const AVCodecContext *encoder)
    : m_fifo(av_audio_fifo_alloc(encoder->sample_fmt, encoder->ch_layout.nb_channels,
                                 kVariableFrameSamples * 4))
    , m_encoder(encoder)
    , m_sample_rate(encoder->sample_rate)
    , m_frame_size(encoder->frame_size > 0
                           && !(encoder->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE)
                       ? encoder->frame_size
                       : kVariableFrameSamples)
{
    if (!m_fifo)
        throw std::bad_alloc();
}

void AudioFrameQueue::Push(const AVFrame *frame)
{
    const int written = av_audio_fifo_write(
        m_fifo.get(), reinterpret_cast<void **>(frame->extended_data), frame->nb_samples);
    if (written < frame->nb_samples)
        throw std::bad_alloc();
}

void AudioFrameQueue::PushSilence(int64_t samples)
{
    FramePtr silence = MakeFrame();
    while (samples > 0) {
        const int chunk = static_cast<int>(std::min<int64_t>(samples, kVariableFrameSamples));
        silence->format = m_encoder->sample_fmt;
        silence->nb_samples = chunk;
        silence->sample_rate = m_sample_rate;
        CheckAv(av_channel_layout_copy(&silence->ch_layout, &m_encoder->ch_layout),
                "prepare silence", "");
        CheckAv(av_frame_get_buffer(silence.get(), 0), "prepare silence", "");
        av_samples_set_silence(silence->extended_data, 0, chunk, m_encoder->ch_layout.nb_channels,
                               m_encoder->sample_fmt);
        Push(silence.get());
        av_frame_unref(silence.get());
        samples -= chunk;
    }
}

bool AudioFrameQueue::Pop(AVFrame *frame, bool final, int64_t up_to_samples)
{
    const int available = av_audio_fifo_size(m_fifo.get());
    if (available <= 0 || (available < m_frame_size && !final))
        return false;
    const int count = std::min(available, m_frame_size);
    if (!final && m_samples_out + count > up_to_samples)
        return false;
    av_frame_unref(frame);
    frame->format = m_encoder->sample_fmt;
    frame->nb_samples = count;
    frame->sample_rate = m_sample_rate;
    CheckAv(av_channel_layout_copy(&frame->ch_layout, &m_encoder->ch_layout), "queue audio", "");
    CheckAv(av_frame_get_buffer(frame, 0), "queue audio", "");
    if (av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void **>(frame->extended_data), count)
        < count)
        ThrowFailed("Audio samples were lost on their way to the encoder.");
    frame->pts = m_samples_out;
    m_samples_out += count;
    return true;
}

void AudioFrameQueue::Truncate(int64_t end_samples)
{
    const int keep = static_cast<int>(std::max<int64_t>(0, end_samples - m_samples_out));
    const int queued = av_audio_fifo_size(m_fifo.get());
    if (keep >= queued)
        return;
    // The FIFO only drains from its head: read the part to keep and put it back.
    FramePtr kept = MakeFrame();
    kept->format = m_encoder->sample_fmt;
    kept->nb_samples = std::max(keep, 1);
    kept->sample_rate = m_sample_rate;
    CheckAv(av_channel_layout_copy(&kept->ch_layout, &m_encoder->ch_layout), "queue audio", "");
    CheckAv(av_frame_get_buffer(kept.get(), 0), "queue audio", "");
    if (av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void **>(kept->extended_data), keep)
        < keep)
        ThrowFailed("Audio samples were lost on their way to the encoder.");
    av_audio_fifo_reset(m_fifo.get());
    if (keep > 0
        && av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void **>(kept->extended_data), keep)
            < keep)
        throw std::bad_alloc();
}

int64_t AudioFrameQueue::EndSamples() const
{
    return m_samples_out + av_audio_fifo_size(m_fifo.get());
}

} // namespace dolmar
