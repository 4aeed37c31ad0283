// SPDX-License-Identifier: GPL-3.0-or-later
#include "AudioFilter.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <cmath>
#include <cstdio>

namespace dolmar {

namespace {

std::string Seconds(double seconds)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.6f", seconds);
    return text;
}

std::string LayoutText(const AVChannelLayout &layout)
{
    char text[128] = {};
    if (av_channel_layout_describe(&layout, text, sizeof text) < 0)
        return std::to_string(layout.nb_channels) + "c";
    return text;
}

} // namespace

bool AudioFilter::MixesDown(const AVChannelLayout &source, const AVChannelLayout &target)
{
    return target.nb_channels < source.nb_channels;
}

AudioFilter::AudioFilter(const AudioFilterSetup &setup, const AVFrame *first, AVRational time_base)
    : m_chain(setup.threads)
    , m_format(first->format)
    , m_sample_rate(first->sample_rate)
{
    // A source that states only a channel count gets the usual layout for it, so that the
    // resampler knows which channel is which when it mixes down.
    if (first->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || first->ch_layout.nb_channels == 0)
        av_channel_layout_default(
            &m_layout, first->ch_layout.nb_channels > 0 ? first->ch_layout.nb_channels : 2);
    else
        av_channel_layout_copy(&m_layout, &first->ch_layout);

    const AudioTarget &target = *setup.target;
    m_chain.Add("abuffer",
                {{"time_base", std::to_string(time_base.num) + "/" + std::to_string(time_base.den)},
                 {"sample_rate", std::to_string(first->sample_rate)},
                 {"sample_fmt", av_get_sample_fmt_name(static_cast<AVSampleFormat>(first->format))},
                 {"channel_layout", LayoutText(m_layout)}});
    if (target.settings.volume != 256) {
        char factor[32];
        std::snprintf(factor, sizeof factor, "%.6f", target.settings.volume / 256.0);
        m_chain.Add("volume", {{"volume", factor}});
    }
    if (setup.trim_start_s > 0 || setup.trim_end_s) {
        FilterChain::Options trim;
        if (setup.trim_start_s > 0)
            trim.emplace_back("start", Seconds(setup.trim_start_s));
        if (setup.trim_end_s)
            trim.emplace_back("end", Seconds(*setup.trim_end_s));
        m_chain.Add("atrim", trim);
    }
    if (setup.trim_start_s > 0)
        m_chain.Add("asetpts", {{"expr", "PTS-" + Seconds(setup.trim_start_s) + "/TB"}});
    // async=1: fill holes and drop overlaps by timestamp. first_pts=0: a segment whose sound
    // starts after its picture begins with silence, so the two stay together.
    FilterChain::Options resample{{"async", "1"}};
    if (!setup.continuing)
        resample.emplace_back("first_pts", "0");
    // Mixing down adds channels together: the centre and surrounds into the fronts, or both
    // fronts into one (at 0.707 each, so a full-scale stereo source reached +3 dBFS). Left to
    // itself the resampler scales that mix to full scale only when it works in integers, so a
    // float encoder (AAC, AC-3) got peaks above full scale and a level several dB above what an
    // integer one (PCM, often MP3) got from the same source. A mix whose coefficients sum to at
    // most 1 per output channel cannot clip and sounds the same whichever encoder follows.
    if (MixesDown(m_layout, target.layout))
        resample.emplace_back("rematrix_maxval", "1");
    m_chain.Add("aresample", resample);
    m_chain.Add("aformat",
                {{"sample_fmts", av_get_sample_fmt_name(target.sample_format)},
                 {"sample_rates", std::to_string(target.sample_rate)},
                 {"channel_layouts", LayoutText(target.layout)}});
    m_chain.Finish("abuffersink");
}

bool AudioFilter::Accepts(const AVFrame *frame) const
{
    return frame->format == m_format && frame->sample_rate == m_sample_rate
        && frame->ch_layout.nb_channels == m_layout.nb_channels;
}

void AudioFilter::Push(AVFrame *frame)
{
    // The source was told the layout this frame leaves unstated.
    if (frame && frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_uninit(&frame->ch_layout);
        av_channel_layout_copy(&frame->ch_layout, &m_layout);
    }
    m_chain.Push(frame);
}

void AudioFilter::Close(int64_t pts)
{
    m_chain.Close(pts);
}

int AudioFilter::Pull(AVFrame *frame)
{
    return m_chain.Pull(frame);
}

} // namespace dolmar
