// SPDX-License-Identifier: GPL-3.0-or-later
#include "OptionParser.h"

#include "EngineError.h"
#include "OptionValues.h"
#include "platform/TextCase.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstring>
#include <string_view>

namespace dolmar {

namespace {

/// Where an option may stand.
enum class Scope {
    Input, ///< before an input only (-ss, -t)
    Output, ///< between the inputs and the output path
    Audio, ///< output, or inside a -newaudio group
    InputOutput, ///< either side, with a meaning for each (-f, -threads)
};

struct OptionDef
{
    std::string_view name;
    bool takes_value;
    Scope scope;
};

constexpr std::array kOptions{
    OptionDef{"-ss", true, Scope::Input},
    OptionDef{"-t", true, Scope::Input},
    OptionDef{"-f", true, Scope::InputOutput},
    OptionDef{"-threads", true, Scope::InputOutput},
    OptionDef{"-acodec", true, Scope::Audio},
    OptionDef{"-ar", true, Scope::Audio},
    OptionDef{"-ac", true, Scope::Audio},
    OptionDef{"-ab", true, Scope::Audio},
    OptionDef{"-vol", true, Scope::Audio},
    OptionDef{"-aq", true, Scope::Audio},
    OptionDef{"-q:a", true, Scope::Audio},
    OptionDef{"-atag", true, Scope::Audio},
    OptionDef{"-an", false, Scope::Output},
    OptionDef{"-vn", false, Scope::Output},
    OptionDef{"-sn", false, Scope::Output},
    OptionDef{"-y", false, Scope::Output},
    OptionDef{"-hq", false, Scope::Output},
    OptionDef{"-vcodec", true, Scope::Output},
    OptionDef{"-b", true, Scope::Output},
    OptionDef{"-r", true, Scope::Output},
    OptionDef{"-s", true, Scope::Output},
    OptionDef{"-aspect", true, Scope::Output},
    OptionDef{"-croptop", true, Scope::Output},
    OptionDef{"-cropbottom", true, Scope::Output},
    OptionDef{"-cropleft", true, Scope::Output},
    OptionDef{"-cropright", true, Scope::Output},
    OptionDef{"-padtop", true, Scope::Output},
    OptionDef{"-padbottom", true, Scope::Output},
    OptionDef{"-padleft", true, Scope::Output},
    OptionDef{"-padright", true, Scope::Output},
    OptionDef{"-padcolor", true, Scope::Output},
    OptionDef{"-map", true, Scope::Output},
    OptionDef{"-fs", true, Scope::Output},
    OptionDef{"-vhook", true, Scope::Output},
    OptionDef{"-vprofile", true, Scope::Output},
    OptionDef{"-profile:v", true, Scope::Output},
    OptionDef{"-level", true, Scope::Output},
    OptionDef{"-preset", true, Scope::Output},
    OptionDef{"-tune", true, Scope::Output},
    OptionDef{"-g", true, Scope::Output},
    OptionDef{"-bf", true, Scope::Output},
    OptionDef{"-refs", true, Scope::Output},
    OptionDef{"-coder", true, Scope::Output},
    OptionDef{"-maxrate", true, Scope::Output},
    OptionDef{"-minrate", true, Scope::Output},
    OptionDef{"-bufsize", true, Scope::Output},
    OptionDef{"-qmin", true, Scope::Output},
    OptionDef{"-qmax", true, Scope::Output},
    OptionDef{"-crf", true, Scope::Output},
    OptionDef{"-qscale", true, Scope::Output},
    OptionDef{"-pass", true, Scope::Output},
    OptionDef{"-passlogfile", true, Scope::Output},
    OptionDef{"-q:v", true, Scope::Output},
    OptionDef{"-pix_fmt", true, Scope::Output},
    OptionDef{"-vtag", true, Scope::Output},
    OptionDef{"-x264-params", true, Scope::Output},
    OptionDef{"-x264opts", true, Scope::Output},
    OptionDef{"-movflags", true, Scope::Output},
    OptionDef{"-muxrate", true, Scope::Output},
    OptionDef{"-packetsize", true, Scope::Output},
    OptionDef{"-strict", true, Scope::Output},
    OptionDef{"-x265-params", true, Scope::Output},
    OptionDef{"-svtav1-params", true, Scope::Output},
    OptionDef{"-deadline", true, Scope::Output},
    OptionDef{"-cpu-used", true, Scope::Output},
    OptionDef{"-row-mt", true, Scope::Output},
    OptionDef{"-tile-columns", true, Scope::Output},
    OptionDef{"-slices", true, Scope::Output},
    OptionDef{"-slicecrc", true, Scope::Output},
    OptionDef{"-context", true, Scope::Output},
    OptionDef{"-color_primaries", true, Scope::Output},
    OptionDef{"-color_trc", true, Scope::Output},
    OptionDef{"-colorspace", true, Scope::Output},
    OptionDef{"-color_range", true, Scope::Output},
};

const OptionDef *FindOption(std::string_view name)
{
    for (const auto &def : kOptions)
        if (def.name == name)
            return &def;
    return nullptr;
}

struct PendingOption
{
    const OptionDef *def;
    std::string value;
};

constexpr int kMaxPictureSide = 16384;

std::string RefusedCodec(std::string_view option, std::string_view name)
{
    if (quillet::platform::EqualsIgnoringCase(name, "copy"))
        ThrowBadArgs(std::string(option)
                     + " copy is not supported: every stream is re-encoded; name a codec or auto.");
    return std::string(name);
}

void ApplyAudioOption(AudioSettings &audio, const PendingOption &option)
{
    const std::string_view name = option.def->name;
    const std::string &value = option.value;
    if (name == "-acodec")
        audio.codec = RefusedCodec(name, value);
    else if (name == "-ar")
        audio.sample_rate = ParseInt(name, value, 1000, 768000);
    else if (name == "-ac")
        audio.channels = ParseInt(name, value, 1, 64);
    else if (name == "-ab")
        audio.bit_rate = ParseKbits(name, value);
    else if (name == "-vol")
        audio.volume = ParseInt(name, value, 0, 65536);
    else if (name == "-aq" || name == "-q:a")
        audio.quality = ParseDouble(name, value, -100.0, 1000.0);
    else if (name == "-atag")
        audio.tag = ParseFourcc(name, value);
}

void ParseMap(OutputOptions &output, std::string_view value)
{
    // "0:N": the only input of a single-file run, stream N of it.
    const auto colon = value.find(':');
    if (colon == std::string_view::npos)
        ThrowBadArgs("The value " + Quoted(value) + " of -map is not a stream (0:N).");
    ParseInt("-map", value.substr(0, colon), 0, 0);
    output.maps.push_back(ParseInt("-map", value.substr(colon + 1), 0, INT_MAX));
}

void ParseHook(OutputOptions &output, std::string_view value)
{
    // "SubTitleHook -f FILE": the file name is everything after "-f ", spaces included.
    constexpr std::string_view kHook = "SubTitleHook";
    std::string_view rest = value;
    while (!rest.empty() && rest.front() == ' ')
        rest.remove_prefix(1);
    if (!quillet::platform::EqualsIgnoringCase(rest.substr(0, kHook.size()), kHook))
        ThrowBadArgs("The video hook " + Quoted(value)
                     + " of -vhook is unknown; only SubTitleHook -f FILE is available.");
    rest.remove_prefix(kHook.size());
    while (!rest.empty() && rest.front() == ' ')
        rest.remove_prefix(1);
    if (rest.substr(0, 2) != "-f" || (rest.size() > 2 && rest[2] != ' '))
        ThrowBadArgs("The video hook " + Quoted(value) + " of -vhook needs -f FILE.");
    rest.remove_prefix(2);
    if (!rest.empty())
        rest.remove_prefix(1);
    if (rest.empty())
        ThrowBadArgs("The video hook " + Quoted(value) + " of -vhook names no subtitle file.");
    output.subtitle_path = std::string(rest);
}

/// An FFmpeg colour tag name, checked against what libavutil knows of that tag.
std::string ParseColorTag(std::string_view option, const std::string &value)
{
    int known = -1;
    if (option == "-color_primaries")
        known = av_color_primaries_from_name(value.c_str());
    else if (option == "-color_trc")
        known = av_color_transfer_from_name(value.c_str());
    else if (option == "-colorspace")
        known = av_color_space_from_name(value.c_str());
    else
        known = av_color_range_from_name(value.c_str());
    // The names of no colour at all ("unspecified", "unknown", the reserved codes) would state
    // nothing; a profile that means to leave a tag out leaves the option out.
    if (known < 0 || value == "unknown" || value == "unspecified" || value.starts_with("reserved"))
        ThrowBadArgs("The value " + Quoted(value) + " of " + std::string(option)
                     + " is not a colour tag FFmpeg knows (bt709, bt2020, smpte2084, tv ...).");
    return value;
}

/// -deadline: libvpx's three speeds by name.
std::string ParseDeadline(std::string_view option, const std::string &value)
{
    if (value != "best" && value != "good" && value != "realtime")
        ThrowBadArgs("The value " + Quoted(value) + " of " + std::string(option)
                     + " is not best, good or realtime.");
    return value;
}

void ApplyOutputOption(OutputOptions &output, const PendingOption &option)
{
    const std::string_view name = option.def->name;
    const std::string &value = option.value;
    VideoSettings &video = output.video;
    if (option.def->scope == Scope::Audio) {
        ApplyAudioOption(output.audio.front(), option);
    } else if (name == "-an") {
        output.no_audio = true;
    } else if (name == "-vn") {
        output.no_video = true;
    } else if (name == "-sn" || name == "-y") {
        // The output never carries subtitle streams and is always overwritten: both options
        // state what the engine does anyway.
    } else if (name == "-hq") {
        video.high_quality = true;
    } else if (name == "-f") {
        output.format = value;
    } else if (name == "-threads") {
        output.encoder_threads = ParseInt(name, value, 0, 256);
    } else if (name == "-vcodec") {
        video.codec = RefusedCodec(name, value);
    } else if (name == "-b") {
        video.bit_rate = ParseKbits(name, value);
    } else if (name == "-r") {
        video.frame_rate = ParseFrameRate(name, value);
    } else if (name == "-s") {
        ParseFrameSize(name, value, video.width, video.height);
    } else if (name == "-aspect") {
        video.display_aspect = ParseAspect(name, value);
    } else if (name == "-croptop") {
        video.crop.top = ParseInt(name, value, 0, kMaxPictureSide);
    } else if (name == "-cropbottom") {
        video.crop.bottom = ParseInt(name, value, 0, kMaxPictureSide);
    } else if (name == "-cropleft") {
        video.crop.left = ParseInt(name, value, 0, kMaxPictureSide);
    } else if (name == "-cropright") {
        video.crop.right = ParseInt(name, value, 0, kMaxPictureSide);
    } else if (name == "-padtop") {
        video.pad.top = ParseInt(name, value, 0, kMaxPictureSide);
    } else if (name == "-padbottom") {
        video.pad.bottom = ParseInt(name, value, 0, kMaxPictureSide);
    } else if (name == "-padleft") {
        video.pad.left = ParseInt(name, value, 0, kMaxPictureSide);
    } else if (name == "-padright") {
        video.pad.right = ParseInt(name, value, 0, kMaxPictureSide);
    } else if (name == "-padcolor") {
        video.pad.color_rgb = ParseColor(name, value);
    } else if (name == "-map") {
        ParseMap(output, value);
    } else if (name == "-fs") {
        // A size of 0 KiB can only come from an unset custom size; it means no limit rather
        // than an empty file.
        output.size_limit_bytes = int64_t{ParseInt(name, value, 0, INT_MAX)} * 1024;
    } else if (name == "-vhook") {
        ParseHook(output, value);
    } else if (name == "-vprofile" || name == "-profile:v") {
        video.profile = value;
    } else if (name == "-level") {
        ParseDouble(name, value, 0, 1000);
        video.level = value;
    } else if (name == "-preset") {
        video.preset = value;
    } else if (name == "-tune") {
        video.tune = value;
    } else if (name == "-g") {
        video.gop_size = ParseInt(name, value, 0, 100000);
    } else if (name == "-bf") {
        video.b_frames = ParseInt(name, value, 0, 16);
    } else if (name == "-refs") {
        video.refs = ParseInt(name, value, 1, 16);
    } else if (name == "-coder") {
        video.coder = ParseCoder(name, value);
    } else if (name == "-maxrate") {
        video.max_rate = ParseKbits(name, value);
    } else if (name == "-minrate") {
        video.min_rate = ParseKbits(name, value);
    } else if (name == "-bufsize") {
        video.buffer_size = ParseKbits(name, value);
    } else if (name == "-qmin") {
        video.qmin = ParseInt(name, value, 0, 69);
    } else if (name == "-qmax") {
        video.qmax = ParseInt(name, value, 0, 1024);
    } else if (name == "-crf") {
        video.crf = ParseDouble(name, value, 0, 63);
    } else if (name == "-pass") {
        video.pass = ParseInt(name, value, 1, 2);
    } else if (name == "-passlogfile") {
        video.pass_log = value;
    } else if (name == "-qscale" || name == "-q:v") {
        video.qscale = ParseDouble(name, value, 1, 31);
    } else if (name == "-pix_fmt") {
        if (av_get_pix_fmt(value.c_str()) == AV_PIX_FMT_NONE)
            ThrowBadArgs("The value " + Quoted(value) + " of -pix_fmt is not a pixel format.");
        video.pixel_format = value;
    } else if (name == "-vtag") {
        video.tag = ParseFourcc(name, value);
    } else if (name == "-x264-params" || name == "-x264opts") {
        video.x264_params = ParseKeyValueList(name, value);
    } else if (name == "-x265-params") {
        video.x265_params = ParseKeyValueList(name, value);
    } else if (name == "-svtav1-params") {
        video.svtav1_params = ParseKeyValueList(name, value);
    } else if (name == "-deadline") {
        video.deadline = ParseDeadline(name, value);
    } else if (name == "-cpu-used") {
        video.cpu_used = ParseInt(name, value, -8, 8);
    } else if (name == "-row-mt") {
        video.row_mt = ParseInt(name, value, 0, 1);
    } else if (name == "-tile-columns") {
        video.tile_columns = ParseInt(name, value, 0, 6);
    } else if (name == "-slices") {
        video.slices = ParseInt(name, value, 1, 1024);
    } else if (name == "-slicecrc") {
        video.slice_crc = ParseInt(name, value, 0, 1);
    } else if (name == "-context") {
        video.context = ParseInt(name, value, 0, 1);
    } else if (name == "-color_primaries") {
        video.color_primaries = ParseColorTag(name, value);
    } else if (name == "-color_trc") {
        video.color_transfer = ParseColorTag(name, value);
    } else if (name == "-colorspace") {
        video.color_space = ParseColorTag(name, value);
    } else if (name == "-color_range") {
        video.color_range = ParseColorTag(name, value);
    } else if (name == "-movflags") {
        output.movflags = value;
    } else if (name == "-muxrate") {
        output.mux_rate = ParseKbits(name, value);
    } else if (name == "-packetsize") {
        output.packet_size = ParseInt(name, value, 1, 1 << 20);
    } else if (name == "-strict") {
        output.strictness = ParseStrictness(name, value);
    }
}

void ApplyInputOption(InputOptions &input, const PendingOption &option)
{
    const std::string_view name = option.def->name;
    const std::string &value = option.value;
    if (name == "-ss") {
        input.start_us = ParseTimeUs(name, value);
    } else if (name == "-t") {
        input.duration_us = ParseTimeUs(name, value);
        if (*input.duration_us == 0)
            ThrowBadArgs("The value " + Quoted(value) + " of -t leaves nothing to convert.");
    } else if (name == "-f") {
        input.format = value;
    } else if (name == "-threads") {
        input.decoder_threads = ParseInt(name, value, 0, 256);
    } else {
        ThrowBadArgs("The option " + std::string(name)
                     + " applies to the output: place it after the input file.");
    }
}

/// "&new [&dshow] &file PATH" (video of a merged segment) or "&file PATH" (its audio).
std::string ParseSegment(std::string_view option, std::string_view value, bool &platform_route)
{
    constexpr std::string_view kFile = "&file";
    std::string_view rest = value;
    platform_route = false;
    for (;;) {
        while (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
        const auto end = rest.find(' ');
        const std::string_view word = rest.substr(0, end);
        if (word == kFile) {
            rest.remove_prefix(word.size());
            if (!rest.empty())
                rest.remove_prefix(1);
            break;
        }
        if (word == "&new" && option == "-ivs") {
            // Every -ivs starts a segment of its own; the marker says so explicitly.
        } else if (word == "&dshow" && option == "-ivs") {
            platform_route = true;
        } else {
            ThrowBadArgs("The value " + Quoted(value) + " of " + std::string(option)
                         + " is not understood (expected "
                         + (option == "-ivs" ? "&new [&dshow] &file PATH" : "&file PATH") + ").");
        }
        rest.remove_prefix(word.size());
    }
    if (rest.empty())
        ThrowBadArgs("The value " + Quoted(value) + " of " + std::string(option)
                     + " names no file.");
    return std::string(rest);
}

} // namespace

ConversionPlan OptionParser::Parse(const std::vector<std::string> &argv)
{
    ConversionPlan plan;
    InputOptions sticky; // input options seen so far; they apply to every later input
    std::vector<PendingOption> pending;
    bool single_input = false;
    bool output_seen = false;
    bool segment_has_audio = false;

    auto take_pending_into_inputs = [&] {
        for (const auto &option : pending) {
            if (option.def->scope != Scope::Input && option.def->scope != Scope::InputOutput)
                ThrowBadArgs("The option " + std::string(option.def->name)
                             + " applies to the output: place it after the input file.");
            ApplyInputOption(sticky, option);
        }
        pending.clear();
    };

    for (std::size_t i = 1; i < argv.size(); ++i) {
        const std::string &token = argv[i];
        if (token.empty())
            continue;
        auto value_of = [&](std::string_view name) -> const std::string & {
            if (i + 1 >= argv.size())
                ThrowBadArgs("The option " + std::string(name) + " needs a value.");
            return argv[++i];
        };
        if (output_seen && token != "-newaudio" && (token.size() < 2 || token[0] != '-'))
            ThrowBadArgs("Unexpected argument " + Quoted(token) + " after the output file.");

        if (token == "-i") {
            const std::string &path = value_of(token);
            if (plan.merged)
                ThrowBadArgs("-i cannot be mixed with the merged inputs of -ivs.");
            if (single_input)
                ThrowBadArgs("Only one -i input is possible; join files with -ivs/-ias.");
            if (output_seen)
                ThrowBadArgs("The input " + Quoted(path) + " comes after the output file.");
            take_pending_into_inputs();
            InputOptions input = sticky;
            input.path = path;
            plan.inputs.push_back(input);
            single_input = true;
        } else if (token == "-ivs") {
            const std::string &value = value_of(token);
            if (single_input)
                ThrowBadArgs("-ivs cannot be mixed with -i.");
            if (output_seen)
                ThrowBadArgs("-ivs comes after the output file.");
            take_pending_into_inputs();
            InputOptions input = sticky;
            input.path = ParseSegment(token, value, input.platform_route);
            plan.inputs.push_back(input);
            plan.merged = true;
            segment_has_audio = false;
        } else if (token == "-ias") {
            const std::string &value = value_of(token);
            bool unused = false;
            const std::string path = ParseSegment(token, value, unused);
            if (!plan.merged || plan.inputs.empty() || segment_has_audio)
                ThrowBadArgs("-ias " + Quoted(value) + " does not follow an -ivs segment.");
            if (path != plan.inputs.back().path)
                ThrowBadArgs("The audio of a merged segment must come from the same file as its "
                             "video: "
                             + Quoted(path) + " follows -ivs " + Quoted(plan.inputs.back().path)
                             + ".");
            segment_has_audio = true;
        } else if (token == "-newaudio") {
            if (!output_seen)
                ThrowBadArgs("-newaudio must follow the output file.");
            AudioSettings audio;
            // The volume is a choice about the whole programme; a group that does not set its
            // own keeps it.
            audio.volume = plan.output.audio.front().volume;
            for (const auto &option : pending) {
                if (option.def->scope != Scope::Audio)
                    ThrowBadArgs("The option " + std::string(option.def->name)
                                 + " cannot configure an extra audio track (-newaudio).");
                ApplyAudioOption(audio, option);
            }
            pending.clear();
            plan.output.audio.push_back(audio);
        } else if (token.size() >= 2 && token[0] == '-') {
            const OptionDef *def = FindOption(token);
            if (!def)
                ThrowBadArgs("Unknown option " + Quoted(token) + ".");
            std::string value = def->takes_value ? value_of(token) : std::string();
            pending.push_back(PendingOption{def, std::move(value)});
        } else {
            if (plan.inputs.empty())
                ThrowBadArgs("The output file " + Quoted(token) + " has no input before it.");
            for (const auto &option : pending) {
                if (option.def->scope == Scope::Input)
                    ThrowBadArgs("The option " + std::string(option.def->name)
                                 + " applies to an input: place it before the input file.");
                ApplyOutputOption(plan.output, option);
            }
            pending.clear();
            plan.output.path = token;
            output_seen = true;
        }
    }

    if (!pending.empty()) {
        if (output_seen)
            ThrowBadArgs("The option " + std::string(pending.front().def->name)
                         + " after the output file is not followed by -newaudio.");
        ThrowBadArgs("No output file was given.");
    }
    if (plan.inputs.empty())
        ThrowBadArgs("No input file was given.");
    if (!output_seen)
        ThrowBadArgs("No output file was given.");
    const OutputOptions &output = plan.output;
    if (output.no_audio && output.no_video)
        ThrowBadArgs("-an and -vn together leave nothing to convert.");
    // Refused here, before any file is opened or written, not when the encoder starts.
    if (output.video.pass != 0 && output.video.pass_log.empty())
        ThrowBadArgs("-pass needs -passlogfile: the prefix of the file its statistics go to.");
    if (output.video.pass == 0 && !output.video.pass_log.empty())
        ThrowBadArgs("-passlogfile is only for a two-pass encode: give -pass 1 or -pass 2.");
    if (plan.merged) {
        if (!output.maps.empty())
            ThrowBadArgs("-map cannot choose streams in a merged run.");
        if (!output.subtitle_path.empty())
            ThrowBadArgs("Subtitles cannot be burnt into a merged run.");
        if (output.audio.size() > 1)
            ThrowBadArgs("-newaudio cannot add audio tracks to a merged run.");
        plan.output.joined = plan.inputs;
    }
    return plan;
}

} // namespace dolmar
