// SPDX-License-Identifier: GPL-3.0-or-later
#include "MediaProbe.h"

#include "AvOwners.h"
#include "Orientation.h"
#include "platform/FixedText.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>

// Callers on the other side of the C boundary index these records by byte offset.
static_assert(sizeof(MediaContext) == 556);
static_assert(offsetof(MediaContext, file_name) == 0);
static_assert(offsetof(MediaContext, duration_us) == 256);
static_assert(offsetof(MediaContext, start_time_us) == 264);
static_assert(offsetof(MediaContext, bit_rate) == 272);
static_assert(offsetof(MediaContext, stream_count) == 276);
static_assert(offsetof(MediaContext, audio_stream_count) == 280);
static_assert(offsetof(MediaContext, video_stream_index) == 540);
static_assert(sizeof(StreamInfo) == 284);
static_assert(offsetof(StreamInfo, kind) == 0);
static_assert(offsetof(StreamInfo, description) == 4);
static_assert(offsetof(StreamInfo, height) == 260);
static_assert(offsetof(StreamInfo, width) == 264);
static_assert(offsetof(StreamInfo, display_aspect) == 268);

namespace dolmar {

namespace {

std::string FormatFps(AVRational rate)
{
    if (rate.num <= 0 || rate.den <= 0)
        return {};
    char text[32];
    const double fps = av_q2d(rate);
    if (std::fabs(fps - std::round(fps)) < 0.0005)
        std::snprintf(text, sizeof text, "%.0f fps", fps);
    else
        std::snprintf(text, sizeof text, "%.2f fps", fps);
    return text;
}

std::string Language(const AVStream *stream)
{
    const AVDictionaryEntry *tag = av_dict_get(stream->metadata, "language", nullptr, 0);
    if (!tag || !tag->value[0] || std::strcmp(tag->value, "und") == 0)
        return {};
    return tag->value;
}

std::string CodecWithProfile(const AVCodecParameters *par)
{
    std::string text = avcodec_get_name(par->codec_id);
    if (const char *profile = avcodec_profile_name(par->codec_id, par->profile)) {
        text += " (";
        text += profile;
        text += ')';
    }
    return text;
}

int32_t ClampToInt32(int64_t value)
{
    if (value < 0)
        return 0;
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

} // namespace

int MediaProbe::KindOf(const AVStream *stream)
{
    switch (stream->codecpar->codec_type) {
    case AVMEDIA_TYPE_VIDEO:
        return (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) ? DOLMAR_KIND_OTHER
                                                                   : DOLMAR_KIND_VIDEO;
    case AVMEDIA_TYPE_AUDIO:
        return DOLMAR_KIND_AUDIO;
    default:
        return DOLMAR_KIND_OTHER;
    }
}

std::string MediaProbe::Describe(const AVFormatContext *format, const AVStream *stream)
{
    const AVCodecParameters *par = stream->codecpar;
    std::string line;
    auto add = [&line](const std::string &part) {
        if (part.empty())
            return;
        line += ", ";
        line += part;
    };
    switch (par->codec_type) {
    case AVMEDIA_TYPE_VIDEO: {
        const bool cover = stream->disposition & AV_DISPOSITION_ATTACHED_PIC;
        line = (cover ? "Cover art: " : "Video: ") + CodecWithProfile(par);
        // The size as the picture is shown; a turned picture also says how it is stored.
        const int turn = orientation::UprightTurn(stream);
        const bool swapped = orientation::SwapsSides(turn);
        if (par->width > 0 && par->height > 0)
            add(std::to_string(swapped ? par->height : par->width) + "x"
                + std::to_string(swapped ? par->width : par->height));
        // Stated as the display matrix counts it (counter-clockwise), as other tools show it.
        if (turn != 0)
            add("rotation " + std::to_string((360 - turn) % 360));
        if (!cover) {
            AVRational rate = av_guess_frame_rate(const_cast<AVFormatContext *>(format),
                                                  const_cast<AVStream *>(stream), nullptr);
            add(FormatFps(rate));
        }
        break;
    }
    case AVMEDIA_TYPE_AUDIO: {
        line = "Audio: " + CodecWithProfile(par);
        if (par->sample_rate > 0)
            add(std::to_string(par->sample_rate) + " Hz");
        if (par->ch_layout.nb_channels > 0) {
            char layout[64] = {};
            if (av_channel_layout_describe(&par->ch_layout, layout, sizeof layout) > 0)
                add(layout);
        }
        break;
    }
    case AVMEDIA_TYPE_SUBTITLE:
        line = std::string("Subtitle: ") + avcodec_get_name(par->codec_id);
        break;
    case AVMEDIA_TYPE_ATTACHMENT:
        line = std::string("Attachment: ") + avcodec_get_name(par->codec_id);
        break;
    case AVMEDIA_TYPE_DATA:
        line = std::string("Data: ") + avcodec_get_name(par->codec_id);
        break;
    default:
        line = std::string("Other: ") + avcodec_get_name(par->codec_id);
        break;
    }
    if (par->bit_rate > 0
        && (par->codec_type == AVMEDIA_TYPE_VIDEO || par->codec_type == AVMEDIA_TYPE_AUDIO))
        add(std::to_string(par->bit_rate / 1000) + " kb/s");
    const std::string language = Language(stream);
    if (!language.empty())
        line += " [" + language + "]";
    return line;
}

float MediaProbe::DisplayAspect(AVFormatContext *format, AVStream *stream)
{
    const AVCodecParameters *par = stream->codecpar;
    if (par->width <= 0 || par->height <= 0)
        return 0.0f;
    const AVRational sar = av_guess_sample_aspect_ratio(format, stream, nullptr);
    if (sar.num <= 0 || sar.den <= 0)
        return 0.0f;
    const float aspect = static_cast<float>(par->width * av_q2d(sar) / par->height);
    return orientation::SwapsSides(orientation::UprightTurn(stream)) ? 1.0f / aspect : aspect;
}

int MediaProbe::Probe(const char *path, MediaContext *ctx, StreamInfo **streams)
{
    *streams = nullptr;
    ctx->stream_count = 0;
    ctx->audio_stream_count = 0;
    ctx->video_stream_index = -1;
    quillet::platform::AssignFixedText(ctx->file_name, path);

    AVFormatContext *raw = nullptr;
    int ret = avformat_open_input(&raw, path, nullptr, nullptr);
    if (ret < 0)
        return ret;
    InputContextPtr format(raw);
    ret = avformat_find_stream_info(format.get(), nullptr);
    if (ret < 0)
        return ret;
    if (format->nb_streams == 0)
        return AVERROR_STREAM_NOT_FOUND;

    const int64_t duration_us = format->duration != AV_NOPTS_VALUE ? format->duration : 0;
    ctx->duration_us = duration_us > 0 ? duration_us : 0;
    ctx->start_time_us = format->start_time != AV_NOPTS_VALUE ? format->start_time : 0;
    int64_t bit_rate = format->bit_rate;
    if (bit_rate <= 0 && duration_us > 0 && format->pb) {
        // Some containers (raw streams, a few AVI writers) state no overall rate; the user
        // still wants to see one, and size over duration is what it means.
        const int64_t size = avio_size(format->pb);
        if (size > 0)
            bit_rate = static_cast<int64_t>(size * 8.0 * AV_TIME_BASE / duration_us);
    }
    ctx->bit_rate = ClampToInt32(bit_rate);

    auto *array = static_cast<StreamInfo *>(std::calloc(format->nb_streams, sizeof(StreamInfo)));
    if (!array)
        return AVERROR(ENOMEM);
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        AVStream *stream = format->streams[i];
        StreamInfo &info = array[i];
        info.kind = KindOf(stream);
        quillet::platform::AssignFixedText(info.description, Describe(format.get(), stream));
        if (info.kind == DOLMAR_KIND_VIDEO) {
            // Every size rule works on the upright picture.
            const bool swapped = orientation::SwapsSides(orientation::UprightTurn(stream));
            info.width = swapped ? stream->codecpar->height : stream->codecpar->width;
            info.height = swapped ? stream->codecpar->width : stream->codecpar->height;
            info.display_aspect = DisplayAspect(format.get(), stream);
            if (ctx->video_stream_index < 0)
                ctx->video_stream_index = static_cast<int32_t>(i);
        } else if (info.kind == DOLMAR_KIND_AUDIO) {
            ++ctx->audio_stream_count;
        }
    }
    ctx->stream_count = static_cast<int32_t>(format->nb_streams);
    *streams = array;
    return 0;
}

} // namespace dolmar
