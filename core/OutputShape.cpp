// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/OutputShape.h"

#include "core/ArgumentBuilder.h"
#include "core/OptionText.h"
#include "core/ProfileApplier.h"
#include "core/RateLimits.h"
#include "platform/NumberText.h"
#include "platform/Paths.h"
#include "platform/TextCase.h"

#include <algorithm>
#include <optional>

namespace quillet::sizing {

namespace {

/// The options of a run as the engine reads them: Para's tokens, then the record's own.
class RunOptions
{
public:
    explicit RunOptions(const ProfileRecord &record)
    {
        std::vector<std::string> tokens;
        for (auto token : SplitOptionString(record.Para.view()))
            // In Para "-fs" stands alone: the builder writes the split's value after it.
            if (token != "-fs")
                tokens.emplace_back(token);
        ArgumentVector own;
        AppendProfileOptions(own, record);
        tokens.insert(tokens.end(), own.Entries().begin(), own.Entries().end());
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            const std::string &name = tokens[i];
            if (IsFlag(name) || name.empty() || name[0] != '-' || i + 1 >= tokens.size()) {
                m_options.push_back({name, {}});
                continue;
            }
            m_options.push_back({name, tokens[i + 1]});
            ++i;
        }
    }

    bool Has(std::string_view name) const
    {
        return std::any_of(m_options.begin(), m_options.end(),
                           [&](const Option &o) { return o.name == name; });
    }

    /// The value of the last occurrence of name: the engine lets a later option win.
    std::string Last(std::string_view name) const
    {
        const auto it = std::find_if(m_options.rbegin(), m_options.rend(),
                                     [&](const Option &o) { return o.name == name; });
        return it == m_options.rend() ? std::string() : it->value;
    }

    double Number(std::string_view name) const { return platform::ParseLeadingDouble(Last(name)); }

private:
    struct Option
    {
        std::string name;
        std::string value;
    };

    static bool IsFlag(std::string_view name)
    {
        return name == "-an" || name == "-vn" || name == "-sn" || name == "-y" || name == "-hq"
            || name == "-newaudio";
    }

    std::vector<Option> m_options;
};

/// What the probe's line for a stream says. The engine writes, for example,
/// "Video: h264 (High), 1280x720, 25 fps, 2000 kb/s [eng]" and
/// "Audio: aac (LC), 48000 Hz, stereo, 128 kb/s".
struct DescribedStream
{
    double fps = 0;
    int sample_rate = 0;
    int channels = 0;
    double kbps = 0;
};

bool EndsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

int ChannelsOfLayout(std::string_view layout)
{
    if (layout == "mono")
        return 1;
    if (layout == "stereo" || layout == "downmix")
        return 2;
    if (layout == "quad")
        return 4;
    if (EndsWith(layout, " channels"))
        return static_cast<int>(platform::ParseLeadingDouble(layout));
    // "5.1", "7.1(wide)", "3.0(back)": full channels and low-frequency ones.
    const auto dot = layout.find('.');
    if (dot == 1 && layout.size() >= 3 && layout[0] >= '1' && layout[0] <= '9' && layout[2] >= '0'
        && layout[2] <= '9')
        return (layout[0] - '0') + (layout[2] - '0');
    return 0;
}

DescribedStream ReadDescription(std::string_view line)
{
    DescribedStream facts;
    if (const auto bracket = line.rfind(" ["); bracket != std::string_view::npos)
        line = line.substr(0, bracket);
    std::size_t start = 0;
    while (start <= line.size()) {
        std::size_t end = line.find(", ", start);
        if (end == std::string_view::npos)
            end = line.size();
        const std::string_view part = line.substr(start, end - start);
        if (EndsWith(part, " fps"))
            facts.fps = platform::ParseLeadingDouble(part);
        else if (EndsWith(part, " Hz"))
            facts.sample_rate = static_cast<int>(platform::ParseLeadingDouble(part));
        else if (EndsWith(part, " kb/s"))
            facts.kbps = platform::ParseLeadingDouble(part);
        else if (const int channels = ChannelsOfLayout(part))
            facts.channels = channels;
        start = end + 2;
    }
    return facts;
}

DescribedStream StreamFacts(const Task &task, int index)
{
    if (index < 0 || index >= task.StreamCount() || !task.streams.Get())
        return {};
    return ReadDescription(task.streams.Get()[index].description);
}

struct FormatDefaults
{
    std::string_view format;
    std::string_view video; ///< empty: the format holds no picture
    std::string_view audio;
};

// The engine's default encoders by extension or forced format (docs/engine-options.md).
constexpr FormatDefaults kDefaults[] = {
    {"mp4", "h264", "aac"},
    {"m4v", "h264", "aac"},
    {"mov", "h264", "aac"},
    {"ipod", "h264", "aac"},
    {"m4a", "", "aac"},
    {"m4b", "", "aac"},
    {"avi", "mpeg4", "mp3"},
    {"divx", "mpeg4", "mp3"},
    {"mp3", "", "mp3"},
    {"wav", "", "pcm_s16le"},
    {"mpg", "mpeg2video", "mp2"},
    {"mpeg", "mpeg2video", "mp2"},
    {"svcd", "mpeg2video", "mp2"},
    {"vob", "mpeg2video", "ac3"},
    {"dvd", "mpeg2video", "ac3"},
    {"vcd", "mpeg1video", "mp2"},
    {"ts", "h264", "ac3"},
    {"m2ts", "h264", "ac3"},
    {"mts", "h264", "ac3"},
    {"m2t", "h264", "ac3"},
    {"mpegts", "h264", "ac3"},
    {"wmv", "wmv2", "wmav2"},
    {"asf", "wmv2", "wmav2"},
    {"wma", "", "wmav2"},
    {"flv", "flv", "mp3"},
    {"swf", "flv", "mp3"},
    {"3gp", "h263", "aac"},
    {"3g2", "h263", "aac"},
    {"mkv", "h264", "aac"},
    {"matroska", "h264", "aac"},
    {"mka", "", "vorbis"},
    {"webm", "vp8", "vorbis"},
    {"ogv", "theora", "vorbis"},
    {"ogg", "", "vorbis"},
    {"oga", "", "vorbis"},
    {"aac", "", "aac"},
    {"ac3", "", "ac3"},
    {"flac", "", "flac"},
    {"mp2", "", "mp2"},
    {"aiff", "", "pcm_s16be"},
    {"au", "", "pcm_s16be"},
    {"dv", "dvvideo", "pcm_s16le"},
};

const FormatDefaults *DefaultsOf(std::string_view format)
{
    for (const auto &entry : kDefaults)
        if (platform::EqualsIgnoringCase(entry.format, format))
            return &entry;
    return nullptr;
}

struct AudioCodec
{
    std::string_view name;
    int frame_samples;
    double kbps_per_channel; ///< the engine's default rate; 0 for a quality-based default
    double kbps_cap;
    int max_channels; ///< 0 = any
};

// The engine's default audio rates (64 kbit/s a channel for AAC, MP3 and WMA, 96 for MP2 and
// AC-3, capped at what each format allows) and the samples in one coded frame.
constexpr AudioCodec kAudioCodecs[] = {
    {"aac", 1024, 64, 512, 8},   {"libfdk_aac", 1024, 64, 512, 8},
    {"mp3", 1152, 64, 320, 2},   {"libmp3lame", 1152, 64, 320, 2},
    {"mp2", 1152, 96, 384, 2},   {"ac3", 1536, 96, 448, 6},
    {"eac3", 1536, 96, 448, 8},  {"wma", 2048, 64, 512, 2},
    {"wmav2", 2048, 64, 512, 2}, {"wmav1", 2048, 64, 512, 2},
    {"opus", 960, 64, 510, 8},   {"libopus", 960, 64, 510, 8},
    {"vorbis", 1024, 0, 0, 8},   {"libvorbis", 1024, 0, 0, 8},
    {"flac", 4096, 0, 0, 8},     {"alac", 4096, 0, 0, 8},
};

const AudioCodec *AudioCodecOf(std::string_view name)
{
    for (const auto &entry : kAudioCodecs)
        if (platform::EqualsIgnoringCase(entry.name, name))
            return &entry;
    return nullptr;
}

int PcmBits(std::string_view codec)
{
    if (codec.find("24") != std::string_view::npos)
        return 24;
    if (codec.find("32") != std::string_view::npos)
        return 32;
    if (codec.find("64") != std::string_view::npos)
        return 64;
    if (codec.find("u8") != std::string_view::npos || codec.find("s8") != std::string_view::npos
        || codec.find("law") != std::string_view::npos)
        return 8;
    return 16;
}

/// -r as the engine reads it: a number, a fraction, or a name.
double ParseFrameRate(std::string_view text)
{
    const std::string rate = platform::ToLower(text);
    if (rate == "ntsc")
        return 30000.0 / 1001.0;
    if (rate == "pal")
        return 25;
    if (rate == "film")
        return 24;
    if (const auto slash = rate.find('/'); slash != std::string::npos) {
        const double den = platform::ParseLeadingDouble(std::string_view(rate).substr(slash + 1));
        return den > 0 ? platform::ParseLeadingDouble(rate) / den : 0;
    }
    const double value = platform::ParseLeadingDouble(rate);
    // "29.970" is NTSC's 30000/1001, and so are 59.94 and 23.976.
    for (const double ntsc : {24.0, 30.0, 60.0})
        if (value > 0 && std::abs(value - ntsc * 1000.0 / 1001.0) < 0.005)
            return ntsc * 1000.0 / 1001.0;
    return value;
}

/// "WxH" as two numbers; false for anything else (a size name).
bool ParseSize(std::string_view text, int &width, int &height)
{
    const auto x = text.find('x');
    if (x == std::string_view::npos)
        return false;
    width = static_cast<int>(platform::ParseLeadingDouble(text.substr(0, x)));
    height = static_cast<int>(platform::ParseLeadingDouble(text.substr(x + 1)));
    return width > 0 && height > 0;
}

std::string CodecName(const RunOptions &options, std::string_view option,
                      std::string_view default_codec)
{
    std::string codec = platform::ToLower(options.Last(option));
    if (codec.empty() || codec == "auto")
        codec = default_codec;
    return codec;
}

/// The source facts a shape is read against: a task's, or a merged run's first task's.
struct Source
{
    const Task *task = nullptr;
    double duration_s = 0;
    std::vector<int> audio_streams; ///< source stream indexes, in output order
    bool video = false;
};

StreamPart VideoPart(const RunOptions &options, const DescribedStream &source, OutputShape &shape)
{
    StreamPart part;
    const double rate = options.Number("-b");
    const std::string params
        = platform::ToLower(options.Last("-x264-params") + ":" + options.Last("-x264opts"));
    const bool quality = options.Has("-crf") || options.Has("-qscale") || options.Has("-q:v")
        || params.find("crf=") != std::string::npos || params.find("qp=") != std::string::npos;
    if (shape.video_codec == "copy") {
        part.kind = RateKind::Copied;
        part.kbps = source.kbps;
    } else if (quality || !(rate > 0)) {
        part.kind = RateKind::QualityBased;
        part.kbps = KbpsForBitsPerPixel(shape, CodecBudgetOf(shape.video_codec).typical_bpp);
    } else {
        part.kind = RateKind::Fixed;
        part.kbps = rate;
    }
    part.packets_per_s = shape.frame_rate;
    return part;
}

StreamPart FirstAudioPart(const RunOptions &options, const DescribedStream &source,
                          std::string_view default_codec)
{
    StreamPart part;
    const std::string codec = CodecName(options, "-acodec", default_codec);
    const AudioCodec *known = AudioCodecOf(codec);
    const bool pcm = codec.rfind("pcm_", 0) == 0;
    int channels = options.Has("-ac") ? static_cast<int>(options.Number("-ac")) : source.channels;
    if (channels <= 0)
        channels = 2;
    if (known && known->max_channels > 0)
        channels = std::min(channels, known->max_channels);
    int sample_rate
        = options.Has("-ar") ? static_cast<int>(options.Number("-ar")) : source.sample_rate;
    if (sample_rate <= 0)
        sample_rate = codec == "ac3" ? 48000 : 44100;
    int frame_samples = known ? known->frame_samples : 1024;
    // MPEG-2 and 2.5 Layer III (below 32 kHz) codes half as many samples a frame.
    if ((codec == "mp3" || codec == "libmp3lame") && sample_rate < 32000)
        frame_samples = 576;
    part.packets_per_s = static_cast<double>(sample_rate) / frame_samples;

    const double pcm_kbps = sample_rate * channels * PcmBits(codec) / 1000.0;
    const double ab = options.Number("-ab");
    if (codec == "copy") {
        part.kind = RateKind::Copied;
        part.kbps = source.kbps;
    } else if (pcm) {
        part.kind = RateKind::Fixed;
        part.kbps = pcm_kbps;
    } else if (options.Has("-aq") || options.Has("-q:a")) {
        part.kind = RateKind::QualityBased;
        part.kbps = known && known->kbps_per_channel > 0 ? known->kbps_per_channel * channels
                                                         : 64.0 * channels;
    } else if (ab > 0) {
        part.kind = RateKind::Fixed;
        part.kbps = ab;
    } else if (known && known->kbps_per_channel > 0) {
        part.kind = RateKind::Fixed;
        part.kbps = std::min(known->kbps_per_channel * channels, known->kbps_cap);
    } else {
        // Vorbis at quality 4, FLAC, ALAC and the like: their rate follows the sound.
        part.kind = RateKind::QualityBased;
        part.kbps = codec == "flac" || codec == "alac" ? pcm_kbps * 0.6 : 64.0 * channels;
    }
    return part;
}

/// An extra track's group as the builder writes it: AC-3, 48 kHz, 448 kbit/s, stereo.
StreamPart ExtraAudioPart()
{
    return {RateKind::Fixed, 448, 48000.0 / 1536.0};
}

double DeviceCeiling(const RunOptions &options, const ProfileRecord &record,
                     const OutputShape &shape, std::string_view format)
{
    std::vector<double> ceilings;
    ceilings.push_back(options.Number("-maxrate"));
    if (CodecBudgetOf(shape.video_codec).family == "h264" && options.Has("-level")) {
        std::string profile = options.Last("-vprofile");
        if (profile.empty())
            profile = options.Last("-profile:v");
        ceilings.push_back(H264LevelCeilingKbps(options.Last("-level"), profile));
    }
    // The disc formats' own limits: DVD-Video 9.8 Mbit/s of picture within a 10.08 Mbit/s
    // programme stream, AVCHD 24 Mbit/s, Blu-ray 40 Mbit/s.
    const std::string stem = platform::ToLower(platform::StemOf(record.profile_path.view()));
    const bool dvd = stem.find("dvd") != std::string::npos
        || platform::EqualsIgnoringCase(format, "dvd")
        || platform::EqualsIgnoringCase(format, "vob");
    if (dvd) {
        double audio_kbps = 0;
        for (const auto &track : shape.audio)
            audio_kbps += track.kbps;
        ceilings.push_back(std::min(9800.0, 10080.0 * 0.96 - audio_kbps));
    }
    if (stem.find("avchd") != std::string::npos)
        ceilings.push_back(24000);
    if (stem.find("blu-ray") != std::string::npos)
        ceilings.push_back(40000);
    double lowest = 0;
    for (const double c : ceilings)
        if (c > 0 && (lowest == 0 || c < lowest))
            lowest = c;
    return lowest;
}

OutputShape BuildShape(const ProfileRecord &record, const Source &source)
{
    const RunOptions options(record);
    OutputShape shape;
    shape.duration_s = source.duration_s;
    const std::string forced = options.Last("-f");
    const std::string_view extension = record.TargetType.view();
    shape.container = ContainerFor(extension, forced);
    const FormatDefaults *defaults = forced.empty() ? nullptr : DefaultsOf(forced);
    if (!defaults)
        defaults = DefaultsOf(extension);
    const bool holds_picture = !defaults || !defaults->video.empty();
    const Task &task = *source.task;

    if (source.video && holds_picture && !record.bDisableVideo && !options.Has("-vn")) {
        const DescribedStream facts = StreamFacts(task, task.context.video_stream_index);
        shape.video_codec = CodecName(options, "-vcodec", defaults ? defaults->video : "h264");
        shape.frame_rate = options.Has("-r") ? ParseFrameRate(options.Last("-r")) : facts.fps;
        if (!(shape.frame_rate > 0))
            shape.frame_rate = 25;
        if (!OutputFrame(record, shape.width, shape.height)
            && !ParseSize(options.Last("-s"), shape.width, shape.height)) {
            const bool crop = record.bVideoEnableCrop != 0;
            const bool pad = record.bVideoEnablePad != 0;
            shape.width = task.source_width
                - (crop ? record.nVideoCropLeft + record.nVideoCropRight : 0)
                + (pad ? record.nVideoPadLeft + record.nVideoPadRight : 0);
            shape.height = task.source_height
                - (crop ? record.nVideoCropTop + record.nVideoCropBottom : 0)
                + (pad ? record.nVideoPadTop + record.nVideoPadBottom : 0);
            shape.width = std::max(shape.width, 0);
            shape.height = std::max(shape.height, 0);
        }
        shape.video = VideoPart(options, facts, shape);
    }

    if (!record.bDisableAudio && !options.Has("-an")) {
        for (std::size_t i = 0; i < source.audio_streams.size(); ++i) {
            if (i == 0)
                shape.audio.push_back(FirstAudioPart(options,
                                                     StreamFacts(task, source.audio_streams[0]),
                                                     defaults ? defaults->audio : "aac"));
            else
                shape.audio.push_back(ExtraAudioPart());
        }
    }
    if (shape.HasVideo())
        shape.device_ceiling_kbps = DeviceCeiling(options, record, shape, forced);
    return shape;
}

} // namespace

double EffectiveDurationS(const Task &task)
{
    const double start_us = static_cast<double>(task.context.start_time_us);
    double duration_us = static_cast<double>(task.context.duration_us);
    if (!(duration_us > 0))
        duration_us = static_cast<double>(task.duration_s) * 1e6;
    const double end_us = start_us + duration_us;
    const double from_us = task.trim_start.IsSet()
        ? std::max(static_cast<double>(task.trim_start.us), start_us)
        : start_us;
    const double to_us
        = task.trim_end.IsSet() ? std::min(static_cast<double>(task.trim_end.us), end_us) : end_us;
    return std::max(0.0, to_us - from_us) * 1e-6;
}

OutputShape ShapeOf(const Task &task)
{
    const ProfileRecord &record = task.settings;
    Source source;
    source.task = &task;
    source.duration_s = EffectiveDurationS(task);
    source.video = task.HasVideo();
    // The streams the builder maps: the selected tracks; without any, the engine's own choice
    // (the first audio stream) only when no video was mapped either.
    for (const auto &track : task.audio_tracks) {
        const int index = track.selected ? task.AudioStreamIndex(track.ordinal) : -1;
        if (index >= 0)
            source.audio_streams.push_back(index);
    }
    const bool video_mapped = !record.bDisableVideo && task.HasVideo();
    if (source.audio_streams.empty() && !video_mapped && task.HasAudio())
        source.audio_streams.push_back(task.AudioStreamIndex(0));
    return BuildShape(record, source);
}

OutputShape MergedShapeOf(const TaskList &tasks, const ProfileRecord &current)
{
    if (tasks.Count() == 0)
        return {};
    const Task &first = *tasks.Get(0);
    Source source;
    source.task = &first;
    for (const auto &task : tasks) {
        const double us = static_cast<double>(task->context.duration_us);
        source.duration_s += us > 0 ? us * 1e-6 : static_cast<double>(task->duration_s);
        source.video = source.video || task->HasVideo();
    }
    // No -map in a merged run: one audio stream, the sound of every segment in turn.
    if (first.HasAudio())
        source.audio_streams.push_back(first.AudioStreamIndex(0));
    return BuildShape(current, source);
}

} // namespace quillet::sizing
