// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourceFacts.h"

#include "Orientation.h"

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
