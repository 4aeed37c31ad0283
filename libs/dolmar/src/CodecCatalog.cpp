// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodecCatalog.h"

#include "EngineError.h"
#include "platform/TextCase.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

namespace dolmar {

namespace {

struct NameMapping
{
    std::string_view dialect;
    std::string_view encoder;
};

// Dialect names whose encoder here carries another name. Every other name of the lists is
// FFmpeg's own encoder name (mpeg4, wmv2, pcm_s16le, adpcm_ms ...).
constexpr std::array kVideoNames{
    NameMapping{"h264", "libx264"},
    NameMapping{"x264", "libx264"},
    NameMapping{"avc", "libx264"},
    NameMapping{"xvid", "libxvid"},
    NameMapping{"divx", "mpeg4"},
    NameMapping{"msmpeg4v3", "msmpeg4"},
    NameMapping{"hevc", "libx265"},
    NameMapping{"h265", "libx265"},
    NameMapping{"vp8", "libvpx"},
    NameMapping{"vp9", "libvpx-vp9"},
    NameMapping{"theora", "libtheora"},
    // SVT-AV1 is the AV1 encoder fast enough for a desktop: at its preset 10 it codes 1080p
    // in real time on two cores, where libaom takes minutes a second.
    NameMapping{"av1", "libsvtav1"},
    NameMapping{"svtav1", "libsvtav1"},
};

constexpr std::array kAudioNames{
    NameMapping{"mp3", "libmp3lame"},
    NameMapping{"vorbis", "libvorbis"},
    NameMapping{"amr_nb", "libopencore_amrnb"},
    NameMapping{"amr_wb", "libvo_amrwbenc"},
    NameMapping{"gsm", "libgsm"},
    NameMapping{"adpcm_g726", "g726"},
    NameMapping{"opus", "libopus"},
    NameMapping{"wma", "wmav2"},
};

struct FormatDefaults
{
    std::string_view key; ///< a file extension or, for -f, a muxer name
    std::string_view video; ///< empty: the format holds no video
    std::string_view audio;
};

// What a file of each kind gets when no codec is named: what plays on the devices and players
// people make these files for.
constexpr std::array kDefaults{
    FormatDefaults{"mp4", "libx264", "aac"},
    FormatDefaults{"m4v", "libx264", "aac"},
    FormatDefaults{"mov", "libx264", "aac"},
    FormatDefaults{"ipod", "libx264", "aac"},
    FormatDefaults{"m4a", "", "aac"},
    FormatDefaults{"m4b", "", "aac"},
    FormatDefaults{"avi", "mpeg4", "libmp3lame"},
    FormatDefaults{"divx", "mpeg4", "libmp3lame"},
    FormatDefaults{"mp3", "", "libmp3lame"},
    FormatDefaults{"wav", "", "pcm_s16le"},
    FormatDefaults{"mpg", "mpeg2video", "mp2"},
    FormatDefaults{"mpeg", "mpeg2video", "mp2"},
    FormatDefaults{"vob", "mpeg2video", "ac3"},
    FormatDefaults{"dvd", "mpeg2video", "ac3"},
    FormatDefaults{"svcd", "mpeg2video", "mp2"},
    FormatDefaults{"vcd", "mpeg1video", "mp2"},
    FormatDefaults{"m1v", "mpeg1video", ""},
    FormatDefaults{"m2v", "mpeg2video", ""},
    FormatDefaults{"ts", "libx264", "ac3"},
    FormatDefaults{"m2ts", "libx264", "ac3"},
    FormatDefaults{"mts", "libx264", "ac3"},
    FormatDefaults{"m2t", "libx264", "ac3"},
    FormatDefaults{"mpegts", "libx264", "ac3"},
    FormatDefaults{"wmv", "wmv2", "wmav2"},
    FormatDefaults{"asf", "wmv2", "wmav2"},
    FormatDefaults{"wma", "", "wmav2"},
    FormatDefaults{"flv", "flv", "libmp3lame"},
    FormatDefaults{"3gp", "h263", "aac"},
    FormatDefaults{"3g2", "h263", "aac"},
    FormatDefaults{"mkv", "libx264", "aac"},
    FormatDefaults{"matroska", "libx264", "aac"},
    FormatDefaults{"mka", "", "libvorbis"},
    FormatDefaults{"webm", "libvpx", "libvorbis"},
    FormatDefaults{"ogv", "libtheora", "libvorbis"},
    FormatDefaults{"ogg", "", "libvorbis"},
    // FFmpeg's own Opus encoder is experimental; libopus is the reference.
    FormatDefaults{"opus", "", "libopus"},
    FormatDefaults{"oga", "", "libvorbis"},
    FormatDefaults{"aac", "", "aac"},
    FormatDefaults{"adts", "", "aac"},
    FormatDefaults{"ac3", "", "ac3"},
    FormatDefaults{"flac", "", "flac"},
    FormatDefaults{"mp2", "", "mp2"},
    FormatDefaults{"amr", "", "libopencore_amrnb"},
    FormatDefaults{"dv", "dvvideo", "pcm_s16le"},
    FormatDefaults{"aiff", "", "pcm_s16be"},
    FormatDefaults{"aif", "", "pcm_s16be"},
    FormatDefaults{"au", "", "pcm_s16be"},
    FormatDefaults{"swf", "flv", "libmp3lame"},
};

template<std::size_t N>
std::string_view Mapped(const std::array<NameMapping, N> &table, std::string_view name)
{
    for (const auto &entry : table)
        if (entry.dialect == name)
            return entry.encoder;
    return name;
}

const AVCodec *FindEncoder(std::string_view requested, std::string_view mapped, AVMediaType type,
                           const char *kind)
{
    const std::string name(mapped);
    const AVCodec *codec = avcodec_find_encoder_by_name(name.c_str());
    if (!codec) {
        // A codec FFmpeg knows under this name may still have an encoder of another name
        // (hevc -> libx265).
        const AVCodecDescriptor *desc = avcodec_descriptor_get_by_name(name.c_str());
        if (desc)
            codec = avcodec_find_encoder(desc->id);
    }
    const bool known = codec || avcodec_descriptor_get_by_name(std::string(requested).c_str())
        || mapped != requested;
    if (!codec) {
        if (known)
            ThrowBadArgs("This system has no encoder for the " + std::string(kind) + " codec "
                         + Quoted(requested) + ".");
        ThrowBadArgs("The " + std::string(kind) + " codec " + Quoted(requested) + " is unknown.");
    }
    if (codec->type != type)
        ThrowBadArgs(Quoted(requested) + " is not " + (type == AVMEDIA_TYPE_VIDEO ? "a" : "an")
                     + " " + kind + " codec.");
    return codec;
}

const FormatDefaults *DefaultsFor(const AVOutputFormat *format, const std::string &path)
{
    std::string ext = quillet::platform::ToLower(std::filesystem::path(path).extension().string());
    if (!ext.empty())
        ext.erase(0, 1);
    auto find = [](std::string_view key) -> const FormatDefaults * {
        for (const auto &entry : kDefaults)
            if (entry.key == key)
                return &entry;
        return nullptr;
    };
    // The extension speaks for the file (an .m4a holds no picture, though its muxer is "ipod")
    // unless -f chose another format than the extension would: "-f vcd" writing "clip.mpg" is a
    // VCD and needs MPEG-1, whatever an .mpg gets on its own.
    const bool format_from_extension = av_guess_format(nullptr, path.c_str(), nullptr) == format;
    const FormatDefaults *by_extension = find(ext);
    const FormatDefaults *by_format = find(format->name);
    if (format_from_extension)
        return by_extension ? by_extension : by_format;
    return by_format ? by_format : by_extension;
}

const AVCodec *DefaultEncoder(std::string_view name, const char *kind, const std::string &path)
{
    const std::string copy(name);
    const AVCodec *codec = avcodec_find_encoder_by_name(copy.c_str());
    if (!codec)
        ThrowBadArgs("This system has no encoder for the " + std::string(kind) + " codec "
                     + Quoted(name) + " that " + Quoted(path) + " needs; name another codec.");
    return codec;
}

} // namespace

bool CodecCatalog::IsAuto(std::string_view name)
{
    return name.empty() || quillet::platform::ToLower(name) == "auto";
}

const AVCodec *CodecCatalog::VideoEncoder(std::string_view name)
{
    // The option sheet stores the list's own lower-case text; a hand-edited "H264" means it too.
    const std::string lower = quillet::platform::ToLower(name);
    return FindEncoder(name, Mapped(kVideoNames, lower), AVMEDIA_TYPE_VIDEO, "video");
}

const AVCodec *CodecCatalog::AudioEncoder(std::string_view name)
{
    const std::string lower = quillet::platform::ToLower(name);
    return FindEncoder(name, Mapped(kAudioNames, lower), AVMEDIA_TYPE_AUDIO, "audio");
}

const AVOutputFormat *CodecCatalog::OutputFormat(const std::string &path, const std::string &forced)
{
    if (!forced.empty()) {
        const AVOutputFormat *format = av_guess_format(forced.c_str(), nullptr, nullptr);
        if (!format)
            ThrowBadArgs("The output format " + Quoted(forced) + " of -f is unknown.");
        return format;
    }
    const AVOutputFormat *format = av_guess_format(nullptr, path.c_str(), nullptr);
    if (!format)
        ThrowBadArgs("The output format of " + Quoted(path)
                     + " cannot be told from its extension; name it with -f.");
    return format;
}

const AVCodec *CodecCatalog::DefaultVideoEncoder(const AVOutputFormat *format,
                                                 const std::string &path)
{
    if (const FormatDefaults *defaults = DefaultsFor(format, path))
        return defaults->video.empty() ? nullptr : DefaultEncoder(defaults->video, "video", path);
    if (format->video_codec == AV_CODEC_ID_NONE)
        return nullptr;
    const AVCodec *codec = avcodec_find_encoder(format->video_codec);
    if (!codec)
        ThrowBadArgs("This system has no encoder for the video codec "
                     + Quoted(avcodec_get_name(format->video_codec)) + " that " + Quoted(path)
                     + " needs; name another codec.");
    return codec;
}

const AVCodec *CodecCatalog::DefaultAudioEncoder(const AVOutputFormat *format,
                                                 const std::string &path)
{
    if (const FormatDefaults *defaults = DefaultsFor(format, path))
        return defaults->audio.empty() ? nullptr : DefaultEncoder(defaults->audio, "audio", path);
    if (format->audio_codec == AV_CODEC_ID_NONE)
        return nullptr;
    const AVCodec *codec = avcodec_find_encoder(format->audio_codec);
    if (!codec)
        ThrowBadArgs("This system has no encoder for the audio codec "
                     + Quoted(avcodec_get_name(format->audio_codec)) + " that " + Quoted(path)
                     + " needs; name another codec.");
    return codec;
}

void CodecCatalog::CheckFits(const AVOutputFormat *format, const AVCodec *encoder,
                             const std::string &path)
{
    // 0 means the muxer's tag tables positively lack the codec; a negative value means FFmpeg
    // cannot tell, and the muxer will judge when the header is written.
    if (avformat_query_codec(format, encoder->id, FF_COMPLIANCE_NORMAL) == 0)
        ThrowBadArgs("The " + std::string(format->name) + " format of " + Quoted(path)
                     + " cannot hold " + avcodec_get_name(encoder->id)
                     + (encoder->type == AVMEDIA_TYPE_VIDEO ? " video" : " audio")
                     + "; choose another codec or format.");
}

} // namespace dolmar
