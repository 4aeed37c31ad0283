// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputTargets.h"

#include "CodecCatalog.h"
#include "CodecLevels.h"
#include "EngineError.h"
#include "FilmCadence.h"
#include "FrameRateRules.h"
#include "FrameTiming.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace dolmar {

namespace {

// Frame rates beyond this are container time bases mistaken for rates (VFR Matroska).
constexpr double kMaxPlausibleFps = 240.0;

std::string RateText(AVRational rate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.5g", av_q2d(rate));
    return text;
}

/// AVCHD and Blu-ray players take their transport streams as .m2ts (.mts on cameras).
bool IsDiscStream(const std::string &path)
{
    const auto dot = path.find_last_of("./");
    if (dot == std::string::npos || path[dot] != '.')
        return false;
    std::string extension = path.substr(dot + 1);
    for (char &c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == "m2ts" || extension == "mts";
}

/// The HD disc frames whose only allowed pixel shape is square.
bool IsSquarePixelDiscFrame(int width, int height)
{
    return (width == 1920 && height == 1080) || (width == 1280 && height == 720);
}

int RoundDownTo(int value, int multiple)
{
    return value / multiple * multiple;
}

bool Contains(const AVPixelFormat *list, AVPixelFormat format)
{
    for (; list && *list != AV_PIX_FMT_NONE; ++list)
        if (*list == format)
            return true;
    return false;
}

AVPixelFormat ChoosePixelFormat(const AVCodec *encoder, const VideoSettings &settings,
                                AVPixelFormat source, int height)
{
    const AVPixelFormat *list = encoder->pix_fmts;
    if (!settings.pixel_format.empty()) {
        const AVPixelFormat wanted = av_get_pix_fmt(settings.pixel_format.c_str());
        if (list && !Contains(list, wanted))
            ThrowBadArgs("The " + std::string(encoder->name)
                         + " encoder cannot take the pixel "
                           "format "
                         + Quoted(settings.pixel_format) + " of -pix_fmt.");
        return wanted;
    }
    if (!list)
        return source != AV_PIX_FMT_NONE ? source : AV_PIX_FMT_YUV420P;
    // A lossless encoder (an archive's FFV1) keeps every bit of the source: its own sampling and
    // depth where it takes them, else the nearest it has.
    const AVCodecDescriptor *codec = avcodec_descriptor_get(encoder->id);
    if (codec && (codec->props & AV_CODEC_PROP_LOSSLESS) && !(codec->props & AV_CODEC_PROP_LOSSY)
        && source != AV_PIX_FMT_NONE)
        return Contains(list, source) ? source
                                      : avcodec_find_best_pix_fmt_of_list(list, source, 0, nullptr);
    // DV fixes its sampling by system: 4:1:1 for 525-line (NTSC) video.
    if (encoder->id == AV_CODEC_ID_DVVIDEO)
        return height == 480 && Contains(list, AV_PIX_FMT_YUV411P) ? AV_PIX_FMT_YUV411P
                                                                   : AV_PIX_FMT_YUV420P;
    // JPEG pictures are full range (JFIF); a player shows limited-range MJPEG washed out.
    if (encoder->id == AV_CODEC_ID_MJPEG && Contains(list, AV_PIX_FMT_YUVJ420P))
        return AV_PIX_FMT_YUVJ420P;
    // 4:2:0 is what every device decodes; an encoder that can keep a 4:4:4 source (libx264)
    // would otherwise write a profile most players refuse.
    if (Contains(list, AV_PIX_FMT_YUV420P))
        return AV_PIX_FMT_YUV420P;
    if (Contains(list, AV_PIX_FMT_YUVJ420P))
        return AV_PIX_FMT_YUVJ420P;
    return avcodec_find_best_pix_fmt_of_list(
        list, source != AV_PIX_FMT_NONE ? source : AV_PIX_FMT_YUV420P, 0, nullptr);
}

/// The highest frame rate the named H.264 or HEVC level allows for the frame's macroblocks or
/// luma samples; 0 when nothing limits it.
double LevelMaxFrameRate(const AVCodec *encoder, const ConversionPlan &plan, int width, int height)
{
    if (encoder->id == AV_CODEC_ID_HEVC) {
        // x265 refuses to open at a level the picture rate would pass.
        const int64_t rate = codec_levels::HevcLumaSampleRate(plan.output.video.level);
        const int64_t samples = int64_t{width} * height;
        return rate > 0 && samples > 0 ? static_cast<double>(rate) / static_cast<double>(samples)
                                       : 0.0;
    }
    if (encoder->id != AV_CODEC_ID_H264)
        return 0;
    const int64_t rate = frame_rate::LevelMacroblockRate(plan.output.video.level);
    const int64_t macroblocks = int64_t{(width + 15) / 16} * ((height + 15) / 16);
    return rate > 0 && macroblocks > 0
        ? static_cast<double>(rate) / static_cast<double>(macroblocks)
        : 0.0;
}

frame_rate::Disc DiscOf(const ConversionPlan &plan, const AVOutputFormat *format)
{
    if (IsDiscStream(plan.output.path))
        return frame_rate::Disc::HdDisc;
    const std::string_view name = format ? format->name : "";
    if (name == "dvd" || name == "vob")
        return frame_rate::Disc::Dvd;
    if (name == "vcd" || name == "svcd")
        return frame_rate::Disc::VideoCd;
    return frame_rate::Disc::None;
}

bool Valid(AVRational rate)
{
    return rate.num > 0 && rate.den > 0 && av_q2d(rate) <= kMaxPlausibleFps;
}

/// The rate the source's pictures are shown at. A stream whose pictures come at varying times
/// (a phone's) gets the highest rate it keeps up for a second, not its container's clock.
AVRational SourceRate(const ConversionPlan &plan, const SourceFacts &facts, int stream_index)
{
    const SourceStream &source = facts.streams[static_cast<std::size_t>(stream_index)];
    if (source.VariableRate()) {
        AVRational sustained = source.sustained_frame_rate;
        if (!Valid(sustained))
            sustained = frame_rate::Sustained(FrameTiming::FromPackets(
                facts.path, plan.inputs.front().format, stream_index, facts.interrupt));
        if (Valid(sustained))
            return sustained;
    }
    AVRational rate = source.guessed_frame_rate;
    if (!Valid(rate))
        rate = source.average_frame_rate;
    if (!Valid(rate))
        rate = AVRational{25, 1};
    return rate;
}

/// rate as the output can carry it: within the level, on a rate the disc format allows, on the
/// encoder's list.
AVRational RateForOutput(AVRational rate, bool explicit_rate, const AVCodec *encoder,
                         const ConversionPlan &plan, const AVOutputFormat *format, int width,
                         int height)
{
    // A level or a disc format the output names is a promise to players: never more frames
    // per second than it allows, whether the rate came from the source or from -r.
    const double level_most = LevelMaxFrameRate(encoder, plan, width, height);
    std::vector<AVRational> disc_rates = frame_rate::DiscRates(DiscOf(plan, format), height);
    if (disc_rates.empty()) {
        rate = frame_rate::Within(rate, level_most);
    } else {
        if (level_most > 0) {
            std::vector<AVRational> within;
            for (const AVRational &allowed : disc_rates)
                if (av_q2d(allowed) <= level_most * 1.001)
                    within.push_back(allowed);
            if (!within.empty())
                disc_rates = within;
            else
                disc_rates.resize(1); // the lowest: each list starts with it
        }
        rate = frame_rate::NearestAllowed(rate, disc_rates);
    }
    if (encoder->supported_framerates) {
        const int best = av_find_nearest_q_idx(rate, encoder->supported_framerates);
        const AVRational nearest = encoder->supported_framerates[best];
        if (explicit_rate && av_cmp_q(nearest, rate) != 0) {
            std::string list;
            for (const AVRational *r = encoder->supported_framerates; r->num; ++r)
                list += (list.empty() ? "" : ", ") + RateText(*r);
            ThrowBadArgs("The " + std::string(encoder->name) + " encoder cannot write "
                         + RateText(rate) + " frames per second (-r); it takes " + list + ".");
        }
        rate = nearest;
    }
    // MPEG-4 part 2 and several older encoders store the time base in 16 bits.
    if (rate.num > 65535 || rate.den > 65535)
        av_reduce(&rate.num, &rate.den, rate.num, rate.den, 65535);
    return rate;
}

/// Film pulled down into 29.97 interlaced pictures is restored to its 23.976 frames when the
/// output can have that rate: a look at the first pictures tells (FilmCadence), which only a
/// single source at 29.97 that does not state progressive scanning, given no -r, needs.
void DecideFilm(const ConversionPlan &plan, const SourceFacts &facts, int stream_index,
                const AVOutputFormat *format, VideoTarget &target)
{
    constexpr AVRational kNtsc{30000, 1001};
    constexpr AVRational kFilm{24000, 1001};
    const SourceStream &source = facts.streams[static_cast<std::size_t>(stream_index)];
    if (plan.merged || plan.output.video.frame_rate.Valid()
        || source.field_order == AV_FIELD_PROGRESSIVE
        || std::abs(av_q2d(source.guessed_frame_rate) / av_q2d(kNtsc) - 1.0) > 0.0005)
        return;
    const AVRational film
        = RateForOutput(kFilm, false, target.encoder, plan, format, target.width, target.height);
    if (av_cmp_q(film, kFilm) != 0)
        return; // a DVD, say, that keeps 29.97 keeps the fields
    const std::optional<bool> top_first = FilmCadence::Detect(
        facts.path, plan.inputs.front().format, stream_index, facts.interrupt);
    if (!top_first)
        return;
    target.film = true;
    target.film_top_first = *top_first;
    target.film_source_rate = kNtsc;
    target.frame_rate = kFilm;
}

bool IsFullRangeFormat(AVPixelFormat format)
{
    return format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P
        || format == AV_PIX_FMT_YUVJ444P || format == AV_PIX_FMT_YUVJ440P
        || format == AV_PIX_FMT_YUVJ411P;
}

/// An SDR picture states its colours when the profile asks for tags (-color_primaries ...): the
/// source's own tag where it states one, for the pixels are passed on as they are, else the
/// profile's. A profile that names none leaves the output untagged, as it always was.
void TagStandardPicture(const VideoSettings &settings, const SourceStream &source,
                        VideoTarget &target)
{
    if (!settings.color_primaries.empty())
        target.color_primaries = source.color_primaries != AVCOL_PRI_UNSPECIFIED
            ? source.color_primaries
            : static_cast<AVColorPrimaries>(
                av_color_primaries_from_name(settings.color_primaries.c_str()));
    if (!settings.color_transfer.empty())
        target.color_transfer = source.color_transfer != AVCOL_TRC_UNSPECIFIED
            ? source.color_transfer
            : static_cast<AVColorTransferCharacteristic>(
                av_color_transfer_from_name(settings.color_transfer.c_str()));
    if (!settings.color_space.empty())
        target.color_space = source.color_space != AVCOL_SPC_UNSPECIFIED
            ? source.color_space
            : static_cast<AVColorSpace>(av_color_space_from_name(settings.color_space.c_str()));
    if (!settings.color_range.empty()) {
        if (IsFullRangeFormat(target.pixel_format))
            target.color_range = AVCOL_RANGE_JPEG;
        else if (source.color_range != AVCOL_RANGE_UNSPECIFIED)
            target.color_range = source.color_range;
        else
            target.color_range
                = static_cast<AVColorRange>(av_color_range_from_name(settings.color_range.c_str()));
    }
}

/// An HDR source keeps its HDR where the output can (10-bit HEVC, AV1, VP9: its colour tags and
/// mastering data go with it) and is tone-mapped to BT.709 everywhere else, which the output
/// then says of itself.
void DecideDynamicRange(const ConversionPlan &plan, const SourceFacts &facts, int stream_index,
                        VideoTarget &target)
{
    const SourceStream &source = facts.streams[static_cast<std::size_t>(stream_index)];
    if (!source.Hdr()) {
        TagStandardPicture(plan.output.video, source, target);
        return;
    }
    if (dynamic_range::KeepsHdr(target.encoder, target.pixel_format)) {
        target.dynamic_range = DynamicRange::Kept;
        target.color_primaries = source.color_primaries != AVCOL_PRI_UNSPECIFIED
            ? source.color_primaries
            : AVCOL_PRI_BT2020;
        target.color_transfer = source.HdrTransfer();
        target.color_space = source.color_space != AVCOL_SPC_UNSPECIFIED ? source.color_space
                                                                         : AVCOL_SPC_BT2020_NCL;
        target.color_range
            = source.color_range != AVCOL_RANGE_UNSPECIFIED ? source.color_range : AVCOL_RANGE_MPEG;
        target.hdr = source.hdr.Any()
            ? source.hdr
            : HdrMetadata::FromFirstPicture(facts.path, plan.inputs.front().format, stream_index,
                                            facts.interrupt);
        return;
    }
    target.dynamic_range = DynamicRange::ToneMapped;
    target.color_primaries = AVCOL_PRI_BT709;
    target.color_transfer = AVCOL_TRC_BT709;
    target.color_space = AVCOL_SPC_BT709;
    target.color_range
        = IsFullRangeFormat(target.pixel_format) ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
}

VideoTarget DecideVideo(const ConversionPlan &plan, const SourceFacts &facts, int stream_index,
                        const AVCodec *encoder, const AVOutputFormat *format)
{
    const VideoSettings &settings = plan.output.video;
    const SourceStream &source = facts.streams[static_cast<std::size_t>(stream_index)];
    // Every size rule works on the picture as it is shown, turned upright.
    const int source_width = source.UprightWidth();
    const int source_height = source.UprightHeight();
    if (source_width <= 0 || source_height <= 0)
        ThrowFailed("The picture size of the video in " + Quoted(facts.path)
                    + " cannot be read; the file seems damaged.");

    VideoTarget target;
    target.encoder = encoder;
    target.source_stream = stream_index;
    target.letterbox = plan.merged;
    target.scaler = settings.high_quality ? "lanczos" : "bicubic";

    const int planned_height = settings.height > 0 ? settings.height : source_height;
    target.pixel_format
        = ChoosePixelFormat(encoder, settings, source.pixel_format,
                            planned_height + settings.pad.top + settings.pad.bottom);
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(target.pixel_format);
    // Subsampled chroma needs sizes and offsets on the chroma grid; odd values are rounded down
    // rather than handed to an encoder that would refuse them.
    const int step_x = desc ? 1 << desc->log2_chroma_w : 1;
    const int step_y = desc ? 1 << desc->log2_chroma_h : 1;

    const CropBands &crop = settings.crop;
    if (crop.left + crop.right >= source_width || crop.top + crop.bottom >= source_height)
        ThrowBadArgs("Cropping " + std::to_string(crop.left) + "+" + std::to_string(crop.right)
                     + " by " + std::to_string(crop.top) + "+" + std::to_string(crop.bottom)
                     + " pixels leaves nothing of the " + std::to_string(source_width) + "x"
                     + std::to_string(source_height) + " picture of " + Quoted(facts.path) + ".");
    target.crop = CropBands{RoundDownTo(crop.top, step_y), RoundDownTo(crop.bottom, step_y),
                            RoundDownTo(crop.left, step_x), RoundDownTo(crop.right, step_x)};
    const int cropped_w = source_width - target.crop.left - target.crop.right;
    const int cropped_h = source_height - target.crop.top - target.crop.bottom;

    const int inner_w = settings.width > 0 ? settings.width : cropped_w;
    const int inner_h = settings.height > 0 ? settings.height : cropped_h;
    target.inner_width = std::max(step_x, RoundDownTo(inner_w, step_x));
    target.inner_height = std::max(step_y, RoundDownTo(inner_h, step_y));
    target.pad = settings.pad;
    target.pad.top = RoundDownTo(settings.pad.top, step_y);
    target.pad.bottom = RoundDownTo(settings.pad.bottom, step_y);
    target.pad.left = RoundDownTo(settings.pad.left, step_x);
    target.pad.right = RoundDownTo(settings.pad.right, step_x);
    target.width = target.inner_width + target.pad.left + target.pad.right;
    target.height = target.inner_height + target.pad.top + target.pad.bottom;
    if (target.width > 16384 || target.height > 16384)
        ThrowBadArgs("The output picture of " + std::to_string(target.width) + "x"
                     + std::to_string(target.height) + " pixels is larger than any encoder takes.");

    const bool explicit_rate = settings.frame_rate.Valid();
    target.frame_rate
        = RateForOutput(explicit_rate ? AVRational{settings.frame_rate.num, settings.frame_rate.den}
                                      : SourceRate(plan, facts, stream_index),
                        explicit_rate, encoder, plan, format, target.width, target.height);
    DecideFilm(plan, facts, stream_index, format, target);
    DecideDynamicRange(plan, facts, stream_index, target);

    if (settings.display_aspect > 0) {
        target.sample_aspect = av_d2q(settings.display_aspect * target.height / target.width, 255);
    } else {
        // Scaling keeps the picture's shape: the pixels take the aspect that makes the scaled
        // picture show as the cropped source did, as FFmpeg's scale filter does.
        AVRational sar = source.UprightSampleAspect();
        if (sar.num <= 0 || sar.den <= 0)
            sar = AVRational{1, 1};
        av_reduce(&target.sample_aspect.num, &target.sample_aspect.den,
                  int64_t{sar.num} * cropped_w * target.inner_height,
                  int64_t{sar.den} * target.inner_width * cropped_h, 255);
    }
    // AVCHD and Blu-ray allow 1920x1080 and 1280x720 only with square pixels (16:9): a picture
    // of another shape is fitted inside with black bars instead of stretched pixels.
    if (IsDiscStream(plan.output.path) && IsSquarePixelDiscFrame(target.width, target.height)
        && av_cmp_q(target.sample_aspect, AVRational{1, 1}) != 0) {
        target.sample_aspect = AVRational{1, 1};
        target.letterbox = true;
    }
    return target;
}

bool ContainsLayout(const AVChannelLayout *list, int channels, AVChannelLayout &found)
{
    for (; list && list->nb_channels; ++list) {
        if (list->nb_channels == channels) {
            found = *list;
            return true;
        }
    }
    return false;
}

bool ContainsFormat(const AVSampleFormat *list, AVSampleFormat format)
{
    for (; *list != AV_SAMPLE_FMT_NONE; ++list)
        if (*list == format)
            return true;
    return false;
}

/// The encoder's sample format nearest to the source's: the same one, or its planar or packed
/// twin, so that a lossless encoder (FLAC, ALAC) writes the source's very samples; else the first
/// that holds as many bytes a sample, else the encoder's first.
AVSampleFormat NearestSampleFormat(const AVSampleFormat *list, AVSampleFormat source)
{
    if (ContainsFormat(list, source))
        return source;
    const AVSampleFormat twin = av_get_alt_sample_fmt(source, !av_sample_fmt_is_planar(source));
    if (ContainsFormat(list, twin))
        return twin;
    for (const AVSampleFormat *f = list; *f != AV_SAMPLE_FMT_NONE; ++f)
        if (av_get_bytes_per_sample(*f) >= av_get_bytes_per_sample(source))
            return *f;
    return list[0];
}

AudioTarget DecideAudio(const ConversionPlan &plan, const SourceFacts &facts, int stream_index,
                        const AudioSettings &settings, const AVOutputFormat *format)
{
    AudioTarget target;
    target.settings = settings;
    target.source_stream = stream_index;
    target.encoder = CodecCatalog::IsAuto(settings.codec)
        ? CodecCatalog::DefaultAudioEncoder(format, plan.output.path)
        : CodecCatalog::AudioEncoder(settings.codec);
    const AVCodec *encoder = target.encoder;
    CodecCatalog::CheckFits(format, encoder, plan.output.path);
    const SourceStream &source = facts.streams[static_cast<std::size_t>(stream_index)];

    // Sample rate: the one asked for, else the source's, else the nearest the encoder takes.
    int rate = settings.sample_rate > 0 ? settings.sample_rate
                                        : (source.sample_rate > 0 ? source.sample_rate : 48000);
    if (const int *rates = encoder->supported_samplerates) {
        bool supported = false;
        int nearest = rates[0];
        std::string list;
        for (const int *r = rates; *r; ++r) {
            supported = supported || *r == rate;
            if (std::abs(*r - rate) < std::abs(nearest - rate))
                nearest = *r;
            list += (list.empty() ? "" : ", ") + std::to_string(*r);
        }
        if (!supported && settings.sample_rate > 0)
            ThrowBadArgs("The " + std::string(encoder->name) + " encoder cannot use "
                         + std::to_string(rate) + " Hz (-ar); it takes " + list + " Hz.");
        if (!supported)
            rate = nearest;
    }
    target.sample_rate = rate;

    // Channels: as asked, else the source's, else the most the encoder takes up to that
    // (a 5.1 source into MP3 is mixed down to stereo).
    const int source_channels = source.channels > 0 ? source.channels : 2;
    const int channels = settings.channels > 0 ? settings.channels : source_channels;
    av_channel_layout_default(&target.layout, channels);
    if (const AVChannelLayout *layouts = encoder->ch_layouts) {
        AVChannelLayout found{};
        if (ContainsLayout(layouts, channels, found)) {
            target.layout = found;
        } else if (settings.channels > 0) {
            ThrowBadArgs("The " + std::string(encoder->name) + " encoder cannot write "
                         + std::to_string(channels) + " channels (-ac).");
        } else {
            const AVChannelLayout *best = nullptr;
            for (const AVChannelLayout *l = layouts; l->nb_channels; ++l)
                if (l->nb_channels <= channels && (!best || l->nb_channels > best->nb_channels))
                    best = l;
            target.layout = best ? *best : layouts[0];
        }
    }
    if (target.layout.order != AV_CHANNEL_ORDER_NATIVE)
        av_channel_layout_default(&target.layout, target.layout.nb_channels);

    const AVSampleFormat source_format = source.sample_format;
    target.sample_format = source_format != AV_SAMPLE_FMT_NONE ? source_format : AV_SAMPLE_FMT_FLTP;
    if (const AVSampleFormat *formats = encoder->sample_fmts)
        target.sample_format = NearestSampleFormat(formats, target.sample_format);
    return target;
}

int CheckedMap(const SourceFacts &facts, int index)
{
    if (index >= static_cast<int>(facts.streams.size()))
        ThrowBadArgs("The file " + Quoted(facts.path) + " has no stream " + std::to_string(index)
                     + " (-map 0:" + std::to_string(index) + ").");
    return index;
}

} // namespace

OutputTargets OutputTargets::Decide(const ConversionPlan &plan, const SourceFacts &first,
                                    const SourceFacts *sound)
{
    const OutputOptions &output = plan.output;
    OutputTargets targets;
    targets.format = CodecCatalog::OutputFormat(output.path, output.format);

    // Which source streams feed the output: the -map entries in order, else the first video
    // and the first audio stream.
    int video_stream = -1;
    std::vector<int> audio_streams;
    if (!output.maps.empty()) {
        for (int index : output.maps) {
            const AVMediaType type
                = first.streams[static_cast<std::size_t>(CheckedMap(first, index))].type;
            if (type == AVMEDIA_TYPE_VIDEO) {
                if (video_stream >= 0)
                    ThrowBadArgs("Only one video stream can be converted; -map 0:"
                                 + std::to_string(index) + " names a second one.");
                video_stream = index;
            } else if (type == AVMEDIA_TYPE_AUDIO) {
                audio_streams.push_back(index);
            } else {
                ThrowBadArgs("Stream " + std::to_string(index) + " of " + Quoted(first.path)
                             + " is neither video nor audio (-map 0:" + std::to_string(index)
                             + ").");
            }
        }
    } else {
        video_stream = first.FirstVideoStream();
        if (first.FirstAudioStream() >= 0)
            audio_streams.push_back(first.FirstAudioStream());
    }
    // A merged run whose first clip is silent takes its sound's shape from the first clip that
    // has sound; the silent clips get silence of their length.
    const bool sound_from_later
        = plan.merged && audio_streams.empty() && sound && sound->FirstAudioStream() >= 0;
    if (sound_from_later)
        audio_streams.push_back(sound->FirstAudioStream());

    if (!output.no_video && video_stream >= 0) {
        const AVCodec *encoder = CodecCatalog::IsAuto(output.video.codec)
            ? CodecCatalog::DefaultVideoEncoder(targets.format, output.path)
            : CodecCatalog::VideoEncoder(output.video.codec);
        // An audio format (.mp3, .m4a) simply leaves the picture out.
        if (encoder) {
            CodecCatalog::CheckFits(targets.format, encoder, output.path);
            targets.video = DecideVideo(plan, first, video_stream, encoder, targets.format);
        }
    }

    if (output.audio.size() > std::max<std::size_t>(audio_streams.size(), 1))
        ThrowBadArgs("There are more -newaudio groups than audio streams chosen with -map.");
    if (!output.no_audio && !audio_streams.empty()) {
        const bool format_takes_audio = !CodecCatalog::IsAuto(output.audio.front().codec)
            || CodecCatalog::DefaultAudioEncoder(targets.format, output.path);
        if (format_takes_audio) {
            for (std::size_t i = 0; i < audio_streams.size(); ++i) {
                // Mapped tracks beyond the -newaudio groups take the first track's options.
                const AudioSettings &settings
                    = i < output.audio.size() ? output.audio[i] : output.audio.front();
                targets.audio.push_back(DecideAudio(plan, sound_from_later ? *sound : first,
                                                    audio_streams[i], settings, targets.format));
                if (sound_from_later)
                    targets.audio.back().source_stream = -1;
            }
        }
    }

    if (!targets.video && targets.audio.empty()) {
        // Say what is missing: sound, when the output holds no picture at all (-vn, an audio
        // format); otherwise a picture.
        bool output_takes_video = !output.no_video;
        if (output_takes_video && CodecCatalog::IsAuto(output.video.codec)) {
            try {
                output_takes_video = CodecCatalog::DefaultVideoEncoder(targets.format, output.path);
            } catch (const EngineError &) {
                // The format has a picture, only not on this system.
            }
        }
        ThrowFailed("Nothing in " + Quoted(first.path) + " can be converted into "
                    + Quoted(output.path) + ": it has no "
                    + (output_takes_video ? "video" : "audio") + " stream the output can hold.");
    }
    return targets;
}

} // namespace dolmar
