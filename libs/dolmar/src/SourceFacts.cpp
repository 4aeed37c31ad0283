// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourceFacts.h"

#include "FrameRateRules.h"
#include "FrameTiming.h"
#include "Orientation.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <cmath>

namespace dolmar {

int SourceStream::UprightWidth() const
{
    return orientation::SwapsSides(upright_turn) ? height : width;
}

int SourceStream::UprightHeight() const
{
    return orientation::SwapsSides(upright_turn) ? width : height;
}

AVRational SourceStream::UprightSampleAspect() const
{
    if (!orientation::SwapsSides(upright_turn) || sample_aspect.num <= 0 || sample_aspect.den <= 0)
        return sample_aspect;
    return AVRational{sample_aspect.den, sample_aspect.num};
}

bool SourceStream::Hdr() const
{
    return dynamic_range::IsHdrTransfer(HdrTransfer());
}

AVColorTransferCharacteristic SourceStream::HdrTransfer() const
{
    if (color_transfer != AVCOL_TRC_UNSPECIFIED)
        return color_transfer;
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(pixel_format);
    if (hdr.mastering && desc && desc->comp[0].depth >= 10)
        return AVCOL_TRC_SMPTE2084;
    return color_transfer;
}

bool SourceStream::VariableRate() const
{
    // Beyond this the rate is a clock, not pictures; a stream's average that is this far from
    // its stated rate has pictures missing or doubled in places.
    constexpr double kClockRate = 240.0;
    constexpr double kAverageOff = 0.01;
    const double guessed = guessed_frame_rate.num > 0 && guessed_frame_rate.den > 0
        ? av_q2d(guessed_frame_rate)
        : 0.0;
    const double average = average_frame_rate.num > 0 && average_frame_rate.den > 0
        ? av_q2d(average_frame_rate)
        : 0.0;
    if (guessed > kClockRate)
        return true;
    return guessed > 0 && average > 0 && std::abs(guessed - average) > kAverageOff * guessed;
}

int SourceFacts::FirstVideoStream() const
{
    for (std::size_t i = 0; i < streams.size(); ++i)
        if (streams[i].type == AVMEDIA_TYPE_VIDEO && !streams[i].cover_art)
            return static_cast<int>(i);
    return -1;
}

int SourceFacts::FirstAudioStream() const
{
    for (std::size_t i = 0; i < streams.size(); ++i)
        if (streams[i].type == AVMEDIA_TYPE_AUDIO)
            return static_cast<int>(i);
    return -1;
}

SourceFacts SourceFacts::Read(AVFormatContext *format, const std::string &path)
{
    SourceFacts facts;
    facts.path = path;
    facts.interrupt = format->interrupt_callback;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        AVStream *stream = format->streams[i];
        const AVCodecParameters *par = stream->codecpar;
        SourceStream source;
        source.type = par->codec_type;
        source.cover_art = (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0;
        if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
            source.width = par->width;
            source.height = par->height;
            source.pixel_format = static_cast<AVPixelFormat>(par->format);
            source.guessed_frame_rate = av_guess_frame_rate(format, stream, nullptr);
            source.average_frame_rate = stream->avg_frame_rate;
            source.sample_aspect = av_guess_sample_aspect_ratio(format, stream, nullptr);
            source.upright_turn = orientation::UprightTurn(stream);
            source.field_order = par->field_order;
            source.color_primaries = par->color_primaries;
            source.color_transfer = par->color_trc;
            source.color_space = par->color_space;
            source.color_range = par->color_range;
            source.hdr = HdrMetadata::FromStream(stream);
            if (source.VariableRate())
                source.sustained_frame_rate = frame_rate::Sustained(FrameTiming::FromIndex(stream));
        } else if (par->codec_type == AVMEDIA_TYPE_AUDIO) {
            source.sample_rate = par->sample_rate;
            source.channels = par->ch_layout.nb_channels;
            source.sample_format = static_cast<AVSampleFormat>(par->format);
        }
        facts.streams.push_back(source);
    }
    return facts;
}

} // namespace dolmar
