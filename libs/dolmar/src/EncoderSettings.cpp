// SPDX-License-Identifier: GPL-3.0-or-later
#include "EncoderSettings.h"

#include "EngineError.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace dolmar {

namespace {

// The default fixed quantiser of the MPEG-style encoders: visually clean at a size close to
// what a careful bit rate would give; 2 is near-transparent.
constexpr double kDefaultQscale = 3.0;
constexpr double kHighQualityQscale = 2.0;

bool UsesQuantiserScale(const AVCodec *codec)
{
    switch (codec->id) {
    case AV_CODEC_ID_MPEG1VIDEO:
    case AV_CODEC_ID_MPEG2VIDEO:
    case AV_CODEC_ID_MPEG4:
    case AV_CODEC_ID_MSMPEG4V2:
    case AV_CODEC_ID_MSMPEG4V3:
    case AV_CODEC_ID_WMV1:
    case AV_CODEC_ID_WMV2:
    case AV_CODEC_ID_H261:
    case AV_CODEC_ID_H263:
    case AV_CODEC_ID_H263P:
    case AV_CODEC_ID_FLV1:
    case AV_CODEC_ID_RV10:
    case AV_CODEC_ID_RV20:
    case AV_CODEC_ID_MJPEG:
        return true;
    default:
        return false;
    }
}

bool IsNativeMpegVideo(const AVCodec *codec)
{
    // libxvid shares the codec id with the native mpeg4 encoder but not its options.
    return UsesQuantiserScale(codec) && std::string_view(codec->name).rfind("lib", 0) != 0
        && codec->id != AV_CODEC_ID_MJPEG;
}

bool HasPrivateOption(AVCodecContext *ctx, const char *name)
{
    return ctx->priv_data && av_opt_find(ctx->priv_data, name, nullptr, 0, 0);
}

void SetPrivate(AVCodecContext *ctx, const char *name, const std::string &value,
                std::string_view option)
{
    if (!HasPrivateOption(ctx, name))
        ThrowBadArgs("The " + std::string(ctx->codec->name) + " encoder has no setting for "
                     + std::string(option) + ".");
    const int ret = av_opt_set(ctx->priv_data, name, value.c_str(), 0);
    if (ret < 0)
        ThrowBadArgs("The " + std::string(ctx->codec->name) + " encoder does not accept "
                     + Quoted(value) + " for " + std::string(option) + " (" + AvErrorText(ret)
                     + ").");
}

void SetGeneric(AVCodecContext *ctx, const char *name, const std::string &value,
                std::string_view option)
{
    const int ret = av_opt_set(ctx, name, value.c_str(), 0);
    if (ret < 0)
        ThrowBadArgs("The " + std::string(ctx->codec->name) + " encoder does not accept "
                     + Quoted(value) + " for " + std::string(option) + " (" + AvErrorText(ret)
                     + ").");
}

/// True when the encoder's option is named by text ("slow"), not by a number (SVT-AV1's preset).
bool TakesNamedValue(AVCodecContext *ctx, const char *name)
{
    const AVOption *option
        = ctx->priv_data ? av_opt_find(ctx->priv_data, name, nullptr, 0, 0) : nullptr;
    return option && option->type == AV_OPT_TYPE_STRING;
}

/// libx265's own settings: quiet on stderr, the level to keep to, the HDR mastering data to
/// write into the pictures, then the profile's own (which win, coming last).
std::string X265Settings(const VideoTarget &target, const VideoSettings &video)
{
    // libx265 reports to stderr on its own unless told otherwise; a desktop program's user sees
    // FFmpeg's errors only.
    std::string settings = "log-level=error";
    // FFmpeg 5.1 hands libx265 no level: x265 keeps to one (and says so in the stream) only when
    // asked through its own settings. It reads "5.1" and "51" alike.
    if (!video.level.empty())
        settings += ":level-idc=" + video.level;
    if (target.dynamic_range == DynamicRange::Kept && target.hdr.Any())
        settings += ":" + target.hdr.X265Params();
    if (!video.x265_params.empty())
        settings += ":" + video.x265_params;
    // x265 keeps its own statistics file, named through its own settings.
    if (video.pass > 0)
        settings += ":pass=" + std::to_string(video.pass)
            + ":stats=" + EncoderSettings::PassLogPath(video);
    return settings;
}

std::string ReadPassLog(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!file.good() && !file.eof())
        text.clear();
    if (text.empty())
        ThrowFailed("Could not read the first pass's statistics " + Quoted(path)
                    + ": run the first pass (-pass 1) with the same -passlogfile before.");
    return text;
}

/**
 * The fewest bits the native MPEG-style encoders can give the pictures of a first pass's
 * statistics: every picture at the coarsest quantiser (its texture bits scale with 1/q), its
 * motion vectors and headers as they were. FFmpeg 5.1 refuses a second pass asked for less
 * ("bitrate too low for this video") and then frees its rate expression twice while it closes,
 * which ends the process: such a rate must never reach it.
 */
double FewestPassBits(const std::string &log, int qmax)
{
    double bits = 0;
    std::istringstream lines(log);
    std::string line;
    const double coarsest = static_cast<double>(std::max(qmax, 1)) * FF_QP2LAMBDA;
    while (std::getline(lines, line, ';')) {
        const auto value = [&](const char *key) {
            const std::size_t at = line.find(key);
            return at == std::string::npos ? 0.0 : std::atof(line.c_str() + at + std::strlen(key));
        };
        const double q = value(" q:");
        const double texture = value("itex:") + value("ptex:") + 1;
        bits += (q > coarsest ? texture : q * texture / coarsest) + value("mv:") + value("misc:");
    }
    return bits;
}

std::size_t PassPictures(const std::string &log)
{
    return static_cast<std::size_t>(std::count(log.begin(), log.end(), ';'));
}

/// Two passes: the first writes what it learnt of every picture into the pass log, the second
/// reads it and spends the rate where the pictures need it, so the output meets its rate.
void ApplyPasses(AVCodecContext *ctx, const VideoSettings &video, bool x265)
{
    if (video.pass == 0 || x265) // x265: X265Settings named its pass and its file
        return;
    const std::string log = EncoderSettings::PassLogPath(video);
    ctx->flags |= video.pass == 1 ? AV_CODEC_FLAG_PASS1 : AV_CODEC_FLAG_PASS2;
    // libx264 writes and reads a file of its own (and its macroblock-tree file beside it).
    if (HasPrivateOption(ctx, "stats")) {
        SetPrivate(ctx, "stats", log, "-passlogfile");
        return;
    }
    if (!IsNativeMpegVideo(ctx->codec))
        ThrowBadArgs("The " + std::string(ctx->codec->name)
                     + " encoder does not encode in two passes (-pass).");
    // The native encoders hand their statistics out (stats_out, which the Encoder writes to the
    // log) and take them back in one piece. stats_in is one of the context's string options:
    // av_opt_free releases it with the context, whether the encoder opened or not.
    if (video.pass == 2) {
        const std::string text = ReadPassLog(log);
        const double fps = av_q2d(ctx->framerate);
        const double pictures = static_cast<double>(PassPictures(text));
        const double fewest_kbps
            = fps > 0 && pictures > 0 ? FewestPassBits(text, ctx->qmax) * fps / pictures / 1000 : 0;
        // FFmpeg's own estimate of the same bits differs a little: a margin keeps it off its fault.
        constexpr double kMargin = 1.1;
        if (ctx->bit_rate > 0 && fewest_kbps * kMargin > static_cast<double>(ctx->bit_rate) / 1000)
            ThrowBadArgs("The video rate " + std::to_string(ctx->bit_rate / 1000)
                         + " kbit/s (-b) is below what the " + ctx->codec->name
                         + " encoder can make of this picture: at least "
                         + std::to_string(static_cast<int64_t>(std::ceil(fewest_kbps * kMargin)))
                         + " kbit/s.");
        ctx->stats_in = av_strdup(text.c_str());
        if (!ctx->stats_in)
            throw std::bad_alloc();
    }
}

void UseQuantiser(AVCodecContext *ctx, double q)
{
    ctx->flags |= AV_CODEC_FLAG_QSCALE;
    ctx->global_quality = static_cast<int>(std::lround(FF_QP2LAMBDA * q));
}

void ApplyCommon(AVCodecContext *ctx, const OutputOptions &output)
{
    ctx->thread_count = output.encoder_threads;
    ctx->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (output.strictness)
        ctx->strict_std_compliance = *output.strictness;
    else if (ctx->codec->capabilities & AV_CODEC_CAP_EXPERIMENTAL)
        ctx->strict_std_compliance = FF_COMPLIANCE_EXPERIMENTAL;
}

uint32_t Fourcc(const std::string &tag)
{
    return MKTAG(tag[0], tag[1], tag[2], tag[3]);
}

int64_t DefaultAudioBitRate(const AVCodec *codec, int channels)
{
    // Per-channel rates that sound transparent for speech and music alike, capped at what
    // each format allows.
    switch (codec->id) {
    case AV_CODEC_ID_AAC:
    case AV_CODEC_ID_WMAV1:
    case AV_CODEC_ID_WMAV2:
        return std::min<int64_t>(64000LL * channels, 512000);
    case AV_CODEC_ID_MP3:
        return std::min<int64_t>(64000LL * channels, 320000);
    case AV_CODEC_ID_MP2:
        return std::min<int64_t>(96000LL * channels, 384000);
    case AV_CODEC_ID_AC3:
    case AV_CODEC_ID_EAC3:
        return std::min<int64_t>(96000LL * channels, 448000);
    case AV_CODEC_ID_OPUS:
        return std::min<int64_t>(64000LL * channels, 510000);
    default:
        return 0;
    }
}

} // namespace

std::string EncoderSettings::PassLogPath(const VideoSettings &video)
{
    if (video.pass_log.empty())
        ThrowBadArgs("-pass needs -passlogfile: the prefix of the file its statistics go to.");
    return video.pass_log + "-0.log";
}

void EncoderSettings::ApplyVideo(AVCodecContext *ctx, const VideoTarget &target,
                                 const OutputOptions &output)
{
    const VideoSettings &video = output.video;
    const AVCodec *codec = ctx->codec;
    ctx->width = target.width;
    ctx->height = target.height;
    ctx->pix_fmt = target.pixel_format;
    ctx->framerate = target.frame_rate;
    ctx->time_base = av_inv_q(target.frame_rate);
    ctx->sample_aspect_ratio = target.sample_aspect;
    // The picture says how it is coded: a tone-mapped HDR source is BT.709, a kept one carries its
    // own tags and mastering data. Other sources stay untagged, as they always were.
    if (target.color_primaries != AVCOL_PRI_UNSPECIFIED)
        ctx->color_primaries = target.color_primaries;
    if (target.color_transfer != AVCOL_TRC_UNSPECIFIED)
        ctx->color_trc = target.color_transfer;
    if (target.color_space != AVCOL_SPC_UNSPECIFIED)
        ctx->colorspace = target.color_space;
    if (target.color_range != AVCOL_RANGE_UNSPECIFIED)
        ctx->color_range = target.color_range;
    if (target.dynamic_range == DynamicRange::Kept)
        target.hdr.AddTo(ctx);
    const bool x265 = HasPrivateOption(ctx, "x265-params");
    if (x265)
        SetPrivate(ctx, "x265-params", X265Settings(target, video), "-x265-params");
    else if (!video.x265_params.empty())
        SetPrivate(ctx, "x265-params", video.x265_params, "-x265-params");
    ApplyCommon(ctx, output);

    if (video.bit_rate > 0) {
        ctx->bit_rate = video.bit_rate;
    } else if (UsesQuantiserScale(codec) && !video.qscale) {
        ctx->bit_rate = 0;
        UseQuantiser(ctx, video.high_quality ? kHighQualityQscale : kDefaultQscale);
    }
    if (video.qscale)
        UseQuantiser(ctx, *video.qscale);
    if (video.crf)
        SetPrivate(ctx, "crf", std::to_string(*video.crf), "-crf");

    if (video.high_quality) {
        if (TakesNamedValue(ctx, "preset") && video.preset.empty())
            SetPrivate(ctx, "preset", "slow", "-hq");
        if (IsNativeMpegVideo(codec)) {
            ctx->mb_decision = FF_MB_DECISION_RD;
            ctx->trellis = 2;
            if (codec->id == AV_CODEC_ID_MPEG4)
                ctx->flags |= AV_CODEC_FLAG_4MV;
        }
        if (HasPrivateOption(ctx, "me_quality"))
            SetPrivate(ctx, "me_quality", "6", "-hq");
    }
    if (!video.preset.empty())
        SetPrivate(ctx, "preset", video.preset, "-preset");
    if (!video.tune.empty())
        SetPrivate(ctx, "tune", video.tune, "-tune");
    if (!video.x264_params.empty())
        SetPrivate(ctx, "x264-params", video.x264_params, "-x264-params");
    if (!video.svtav1_params.empty())
        SetPrivate(ctx, "svtav1-params", video.svtav1_params, "-svtav1-params");
    if (!video.deadline.empty())
        SetPrivate(ctx, "deadline", video.deadline, "-deadline");
    if (video.cpu_used)
        SetPrivate(ctx, "cpu-used", std::to_string(*video.cpu_used), "-cpu-used");
    if (video.row_mt)
        SetPrivate(ctx, "row-mt", std::to_string(*video.row_mt), "-row-mt");
    if (video.tile_columns)
        SetPrivate(ctx, "tile-columns", std::to_string(*video.tile_columns), "-tile-columns");
    if (video.slice_crc)
        SetPrivate(ctx, "slicecrc", std::to_string(*video.slice_crc), "-slicecrc");
    if (video.context)
        SetPrivate(ctx, "context", std::to_string(*video.context), "-context");
    if (video.slices)
        ctx->slices = *video.slices;
    if (!video.profile.empty()) {
        if (HasPrivateOption(ctx, "profile"))
            SetPrivate(ctx, "profile", video.profile, "-vprofile");
        else
            SetGeneric(ctx, "profile", video.profile, "-vprofile");
    }
    if (!video.level.empty() && !x265) {
        // libx264 reads "3.0" and "30" alike; the other encoders take the plain number.
        if (HasPrivateOption(ctx, "level"))
            SetPrivate(ctx, "level", video.level, "-level");
        else if (video.level.find('.') == std::string::npos)
            ctx->level = std::stoi(video.level);
        else
            ThrowBadArgs("The " + std::string(codec->name)
                         + " encoder takes a whole number for "
                           "-level, not "
                         + Quoted(video.level) + ".");
    }
    if (video.coder)
        SetPrivate(ctx, "coder", std::to_string(*video.coder), "-coder");
    if (video.gop_size)
        ctx->gop_size = *video.gop_size;
    if (video.b_frames)
        ctx->max_b_frames = *video.b_frames;
    if (video.refs)
        ctx->refs = *video.refs;
    if (video.qmin)
        ctx->qmin = *video.qmin;
    if (video.qmax)
        ctx->qmax = *video.qmax;
    if (video.max_rate)
        ctx->rc_max_rate = *video.max_rate;
    if (video.min_rate)
        ctx->rc_min_rate = *video.min_rate;
    if (video.buffer_size)
        ctx->rc_buffer_size = static_cast<int>(std::min<int64_t>(*video.buffer_size, INT32_MAX));
    if (!video.tag.empty())
        ctx->codec_tag = Fourcc(video.tag);
    ApplyPasses(ctx, video, x265);
}

void EncoderSettings::ApplyAudio(AVCodecContext *ctx, const AudioTarget &target,
                                 const OutputOptions &output)
{
    const AudioSettings &audio = target.settings;
    ctx->sample_rate = target.sample_rate;
    ctx->sample_fmt = target.sample_format;
    av_channel_layout_copy(&ctx->ch_layout, &target.layout);
    ctx->time_base = AVRational{1, target.sample_rate};
    // FLAC and ALAC code 32-bit samples in 24 bits, the most FFmpeg 5.1 writes: said here, the
    // encoders need not warn that they chose it.
    if ((ctx->codec->id == AV_CODEC_ID_FLAC || ctx->codec->id == AV_CODEC_ID_ALAC)
        && av_get_bytes_per_sample(target.sample_format) == 4)
        ctx->bits_per_raw_sample = 24;
    ApplyCommon(ctx, output);
    if (audio.bit_rate > 0)
        ctx->bit_rate = audio.bit_rate;
    else if (const int64_t rate = DefaultAudioBitRate(ctx->codec, target.layout.nb_channels))
        ctx->bit_rate = rate;
    if (audio.quality)
        UseQuantiser(ctx, *audio.quality);
    else if (ctx->codec->id == AV_CODEC_ID_VORBIS && audio.bit_rate <= 0)
        UseQuantiser(ctx, 4.0); // Vorbis quality 4, about 128 kbit/s for stereo
    if (!audio.tag.empty())
        ctx->codec_tag = Fourcc(audio.tag);
}

} // namespace dolmar
