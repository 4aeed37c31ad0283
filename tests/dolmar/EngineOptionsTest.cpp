// SPDX-License-Identifier: GPL-3.0-or-later
// Every option of docs/engine-options.md, below the C entry point: each good value lands in the
// plan and passes every check up to the output file's header (encoders opened, muxer started),
// and each bad value is refused with a message naming it, by the parser or by whichever later
// check knows better (the codec catalogue, the output decisions, the encoder, the muxer).

#include "EngineUnit.h"

#include "EngineError.h"
#include "InputFile.h"
#include "ProgressReporter.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <regex>
#include <set>

using namespace dolmar;
using dolmar_unit::DryRun;
using dolmar_unit::Parse;
using dolmar_unit::RefusalOf;
using quillet::test::TempDir;
using quillet::test::WriteFile;

namespace {

/// One accepted use of an option and where its value must land.
struct Accepted
{
    std::string option;
    std::vector<std::string> args; ///< "@name" is a file in the test's folder
    std::function<bool(const ConversionPlan &)> holds;
};

/// One refused value of an option and what the refusal must mention.
struct Refused
{
    std::string option;
    std::vector<std::string> args;
    std::string named;
    bool opens_input = false; ///< refused when the input is opened, not before
};

const std::string kSubtitles = "@subs, 'odd': name [1].srt";

std::vector<std::string> Resolve(const std::vector<std::string> &args, const TempDir &dir)
{
    std::vector<std::string> resolved;
    for (std::string arg : args) {
        // An argument, or the file of a -vhook value.
        const std::size_t at = arg.starts_with('@') ? 0 : arg.find(" -f @");
        if (at != std::string::npos) {
            const std::size_t name = arg.find('@', at);
            arg = arg.substr(0, name) + dir.file(arg.substr(name + 1));
        }
        resolved.push_back(arg);
    }
    return resolved;
}

/// A folder with the subtitle file the -vhook cases name.
class OptionFolder
{
public:
    OptionFolder()
    {
        WriteFile(m_dir.path() / kSubtitles.substr(1), "1\n00:00:00,500 --> 00:00:01,500\nHi\n");
    }
    std::vector<std::string> Resolve(const std::vector<std::string> &args) const
    {
        return ::Resolve(args, m_dir);
    }

private:
    TempDir m_dir;
};

bool Near(double a, double b)
{
    return std::fabs(a - b) < 1e-6;
}

std::vector<std::string> Out(std::vector<std::string> options, const std::string &name = "out.mp4")
{
    std::vector<std::string> args{"-i", "/media/in.mts"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("@" + name);
    return args;
}

const std::vector<Accepted> &AcceptedCases()
{
    static const std::vector<Accepted> kCases = {
        // Input options.
        {"-ss",
         {"-ss", "00:01:05.3", "-i", "in.mts", "@out.mp4"},
         [](auto &p) { return p.inputs[0].start_us == 65'300'000; }},
        {"-ss",
         {"-ss", "65.37", "-i", "in.mts", "@out.mp4"},
         [](auto &p) { return p.inputs[0].start_us == 65'370'000; }},
        {"-t",
         {"-t", "00:00:30.0", "-i", "in.mts", "@out.mp4"},
         [](auto &p) { return p.inputs[0].duration_us == 30'000'000; }},
        {"-t",
         {"-t", "01:30", "-i", "in.mts", "@out.mp4"},
         [](auto &p) { return p.inputs[0].duration_us == 90'000'000; }},
        {"-f",
         {"-f", "h264", "-i", "in.264", "@out.mp4"},
         [](auto &p) { return p.inputs[0].format == "h264" && p.output.format.empty(); }},
        {"-threads",
         {"-threads", "3", "-i", "in.mts", "@out.mp4"},
         [](auto &p) { return p.inputs[0].decoder_threads == 3 && p.output.encoder_threads == 0; }},
        {"-i",
         {"-i", "/media/a clip; with \"quotes\".avi", "@out.mp4"},
         [](auto &p) { return p.inputs[0].path == "/media/a clip; with \"quotes\".avi"; }},
        // Output, general.
        {"-f", Out({"-f", "mpegts"}, "out.bin"),
         [](auto &p) { return p.output.format == "mpegts" && p.inputs[0].format.empty(); }},
        {"-an", Out({"-an"}), [](auto &p) { return p.output.no_audio && !p.output.no_video; }},
        {"-vn", Out({"-vn"}, "out.m4a"), [](auto &p) { return p.output.no_video; }},
        {"-sn", Out({"-sn"}), [](auto &p) { return !p.output.no_audio; }},
        {"-y", Out({"-y"}), [](auto &p) { return !p.output.no_video; }},
        {"-threads", Out({"-threads", "2"}),
         [](auto &p) { return p.output.encoder_threads == 2 && p.inputs[0].decoder_threads == 0; }},
        {"-map", Out({"-map", "0:0", "-map", "0:2"}),
         [](auto &p) {
             return p.output.maps == std::vector<int>{0, 2};
         }},
        {"-fs", Out({"-fs", "4200000"}),
         [](auto &p) { return p.output.size_limit_bytes == int64_t{4200000} * 1024; }},
        {"-fs", Out({"-fs", "0"}), [](auto &p) { return p.output.size_limit_bytes == 0; }},
        {"-movflags", Out({"-movflags", "+faststart"}),
         [](auto &p) { return p.output.movflags == "+faststart"; }},
        {"-muxrate", Out({"-f", "dvd", "-muxrate", "10080"}, "out.vob"),
         [](auto &p) { return p.output.mux_rate == 10'080'000; }},
        {"-packetsize", Out({"-f", "dvd", "-packetsize", "2048"}, "out.vob"),
         [](auto &p) { return p.output.packet_size == 2048; }},
        {"-strict", Out({"-strict", "experimental"}),
         [](auto &p) { return p.output.strictness == -2; }},
        {"-strict", Out({"-strict", "1"}), [](auto &p) { return p.output.strictness == 1; }},
        // Video.
        {"-vcodec", Out({"-vcodec", "h264"}),
         [](auto &p) { return p.output.video.codec == "h264"; }},
        {"-vcodec", Out({"-vcodec", "auto"}),
         [](auto &p) { return p.output.video.codec == "auto"; }},
        {"-vcodec", Out({"-vcodec", "mjpeg"}, "out.avi"),
         [](auto &p) { return p.output.video.codec == "mjpeg"; }},
        {"-b", Out({"-b", "768"}), [](auto &p) { return p.output.video.bit_rate == 768'000; }},
        {"-b", Out({"-b", "0"}), [](auto &p) { return p.output.video.bit_rate == 0; }},
        {"-r", Out({"-r", "29.970"}),
         [](auto &p) {
             return p.output.video.frame_rate.num == 30000 && p.output.video.frame_rate.den == 1001;
         }},
        {"-r", Out({"-r", "30000/1001"}),
         [](auto &p) {
             return p.output.video.frame_rate.num * 1001 == p.output.video.frame_rate.den * 30000;
         }},
        {"-r", Out({"-r", "pal"}),
         [](auto &p) {
             return p.output.video.frame_rate.num == 25 * p.output.video.frame_rate.den;
         }},
        {"-r", Out({"-r", "film"}),
         [](auto &p) {
             return p.output.video.frame_rate.num == 24 * p.output.video.frame_rate.den;
         }},
        {"-s", Out({"-s", "320x240"}),
         [](auto &p) { return p.output.video.width == 320 && p.output.video.height == 240; }},
        {"-s", Out({"-s", "qcif"}),
         [](auto &p) { return p.output.video.width == 176 && p.output.video.height == 144; }},
        {"-s", Out({"-s", "hd720"}),
         [](auto &p) { return p.output.video.width == 1280 && p.output.video.height == 720; }},
        {"-croptop", Out({"-croptop", "8"}), [](auto &p) { return p.output.video.crop.top == 8; }},
        {"-cropbottom", Out({"-cropbottom", "6"}),
         [](auto &p) { return p.output.video.crop.bottom == 6; }},
        {"-cropleft", Out({"-cropleft", "4"}),
         [](auto &p) { return p.output.video.crop.left == 4; }},
        {"-cropright", Out({"-cropright", "2"}),
         [](auto &p) { return p.output.video.crop.right == 2; }},
        {"-padtop", Out({"-padtop", "30"}), [](auto &p) { return p.output.video.pad.top == 30; }},
        {"-padbottom", Out({"-padbottom", "20"}),
         [](auto &p) { return p.output.video.pad.bottom == 20; }},
        {"-padleft", Out({"-padleft", "10"}),
         [](auto &p) { return p.output.video.pad.left == 10; }},
        {"-padright", Out({"-padright", "12"}),
         [](auto &p) { return p.output.video.pad.right == 12; }},
        {"-padcolor", Out({"-padcolor", "0x102030"}),
         [](auto &p) { return p.output.video.pad.color_rgb == 0x102030; }},
        {"-padcolor", Out({"-padcolor", "#A0B0C0"}),
         [](auto &p) { return p.output.video.pad.color_rgb == 0xA0B0C0; }},
        {"-padcolor", Out({"-padcolor", "255"}),
         [](auto &p) { return p.output.video.pad.color_rgb == 0x0000FF; }},
        {"-aspect", Out({"-aspect", "16:9"}),
         [](auto &p) { return Near(p.output.video.display_aspect, 16.0 / 9.0); }},
        {"-aspect", Out({"-aspect", "1.85"}),
         [](auto &p) { return Near(p.output.video.display_aspect, 1.85); }},
        {"-hq", Out({"-hq"}), [](auto &p) { return p.output.video.high_quality; }},
        {"-vprofile", Out({"-vcodec", "h264", "-vprofile", "baseline"}),
         [](auto &p) { return p.output.video.profile == "baseline"; }},
        {"-profile:v", Out({"-vcodec", "h264", "-profile:v", "high"}),
         [](auto &p) { return p.output.video.profile == "high"; }},
        {"-level", Out({"-vcodec", "h264", "-level", "3.1"}),
         [](auto &p) { return p.output.video.level == "3.1"; }},
        {"-level", Out({"-vcodec", "mpeg4", "-level", "5"}),
         [](auto &p) { return p.output.video.level == "5"; }},
        {"-preset", Out({"-vcodec", "h264", "-preset", "slow"}),
         [](auto &p) { return p.output.video.preset == "slow"; }},
        {"-tune", Out({"-vcodec", "h264", "-tune", "film"}),
         [](auto &p) { return p.output.video.tune == "film"; }},
        {"-x264-params", Out({"-vcodec", "h264", "-x264-params", "vbv-init=0.9:bluray-compat=1"}),
         [](auto &p) { return p.output.video.x264_params == "vbv-init=0.9:bluray-compat=1"; }},
        {"-x264opts", Out({"-vcodec", "h264", "-x264opts", "keyint=48"}),
         [](auto &p) { return p.output.video.x264_params == "keyint=48"; }},
        {"-g", Out({"-g", "18"}), [](auto &p) { return p.output.video.gop_size == 18; }},
        // A first pass at a rate (x264 takes no two passes at a constant quality), its log in
        // the test's folder.
        {"-pass", Out({"-b", "500", "-pass", "1", "-passlogfile", "@passes"}),
         [](auto &p) { return p.output.video.pass == 1; }},
        {"-passlogfile", Out({"-b", "500", "-pass", "1", "-passlogfile", "@passes"}),
         [](auto &p) { return p.output.video.pass_log.ends_with("/passes"); }},
        {"-bf", Out({"-bf", "0"}), [](auto &p) { return p.output.video.b_frames == 0; }},
        {"-refs", Out({"-refs", "1"}), [](auto &p) { return p.output.video.refs == 1; }},
        {"-coder", Out({"-vcodec", "h264", "-coder", "0"}),
         [](auto &p) { return p.output.video.coder == 0; }},
        {"-coder", Out({"-vcodec", "h264", "-coder", "cabac"}),
         [](auto &p) { return p.output.video.coder == 1; }},
        {"-maxrate", Out({"-maxrate", "9000", "-bufsize", "1835"}),
         [](auto &p) { return p.output.video.max_rate == 9'000'000; }},
        {"-minrate", Out({"-vcodec", "mpeg2video", "-minrate", "0"}, "out.mpg"),
         [](auto &p) { return p.output.video.min_rate == 0; }},
        {"-bufsize", Out({"-bufsize", "1835"}),
         [](auto &p) { return p.output.video.buffer_size == 1'835'000; }},
        {"-qmin", Out({"-qmin", "2"}), [](auto &p) { return p.output.video.qmin == 2; }},
        {"-qmax", Out({"-qmax", "31"}), [](auto &p) { return p.output.video.qmax == 31; }},
        {"-crf", Out({"-vcodec", "h264", "-crf", "20"}),
         [](auto &p) { return p.output.video.crf == 20.0; }},
        {"-qscale", Out({"-vcodec", "mpeg4", "-qscale", "3"}, "out.avi"),
         [](auto &p) { return p.output.video.qscale == 3.0; }},
        {"-q:v", Out({"-vcodec", "mpeg4", "-q:v", "4"}, "out.avi"),
         [](auto &p) { return p.output.video.qscale == 4.0; }},
        {"-pix_fmt", Out({"-pix_fmt", "yuv420p"}),
         [](auto &p) { return p.output.video.pixel_format == "yuv420p"; }},
        {"-vtag", Out({"-vcodec", "mpeg4", "-vtag", "DX50"}, "out.avi"),
         [](auto &p) { return p.output.video.tag == "DX50"; }},
        {"-vtag", Out({"-vcodec", "mpeg4", "-vtag", "mp4v"}),
         [](auto &p) { return p.output.video.tag == "mp4v"; }},
        {"-vhook", Out({"-vhook", "SubTitleHook -f " + kSubtitles}),
         [](auto &p) { return p.output.subtitle_path.ends_with(kSubtitles.substr(1)); }},
        // Today's encoders: HEVC, AV1, VP9, FFV1 and the colour tags.
        {"-level", Out({"-vcodec", "hevc", "-level", "5.0"}),
         [](auto &p) { return p.output.video.level == "5.0"; }},
        {"-preset", Out({"-vcodec", "av1", "-preset", "10"}, "out.mkv"),
         [](auto &p) { return p.output.video.preset == "10"; }},
        {"-crf", Out({"-vcodec", "vp9", "-crf", "31"}, "out.webm"),
         [](auto &p) { return p.output.video.crf == 31.0; }},
        {"-vtag", Out({"-vcodec", "hevc", "-vtag", "hvc1"}),
         [](auto &p) { return p.output.video.tag == "hvc1"; }},
        {"-pix_fmt", Out({"-vcodec", "hevc", "-vprofile", "main10", "-pix_fmt", "yuv420p10le"}),
         [](auto &p) { return p.output.video.pixel_format == "yuv420p10le"; }},
        {"-x265-params", Out({"-vcodec", "hevc", "-x265-params", "aq-mode=3:no-sao=1"}),
         [](auto &p) { return p.output.video.x265_params == "aq-mode=3:no-sao=1"; }},
        {"-svtav1-params", Out({"-vcodec", "av1", "-svtav1-params", "tune=0"}, "out.mkv"),
         [](auto &p) { return p.output.video.svtav1_params == "tune=0"; }},
        {"-deadline", Out({"-vcodec", "vp9", "-deadline", "good"}, "out.webm"),
         [](auto &p) { return p.output.video.deadline == "good"; }},
        {"-cpu-used", Out({"-vcodec", "vp9", "-cpu-used", "5"}, "out.webm"),
         [](auto &p) { return p.output.video.cpu_used == 5; }},
        {"-row-mt", Out({"-vcodec", "vp9", "-row-mt", "1"}, "out.webm"),
         [](auto &p) { return p.output.video.row_mt == 1; }},
        {"-tile-columns", Out({"-vcodec", "vp9", "-tile-columns", "2"}, "out.webm"),
         [](auto &p) { return p.output.video.tile_columns == 2; }},
        {"-slices", Out({"-vcodec", "ffv1", "-level", "3", "-slices", "4"}, "out.mkv"),
         [](auto &p) { return p.output.video.slices == 4; }},
        {"-slicecrc", Out({"-vcodec", "ffv1", "-slicecrc", "1"}, "out.mkv"),
         [](auto &p) { return p.output.video.slice_crc == 1; }},
        {"-context", Out({"-vcodec", "ffv1", "-context", "1"}, "out.mkv"),
         [](auto &p) { return p.output.video.context == 1; }},
        {"-color_primaries", Out({"-color_primaries", "bt709"}),
         [](auto &p) { return p.output.video.color_primaries == "bt709"; }},
        {"-color_trc", Out({"-color_trc", "bt709"}),
         [](auto &p) { return p.output.video.color_transfer == "bt709"; }},
        {"-colorspace", Out({"-colorspace", "bt470bg"}),
         [](auto &p) { return p.output.video.color_space == "bt470bg"; }},
        {"-color_range", Out({"-color_range", "tv"}),
         [](auto &p) { return p.output.video.color_range == "tv"; }},
        // Audio, before the output path and inside -newaudio groups.
        {"-acodec", Out({"-acodec", "aac"}),
         [](auto &p) { return p.output.audio[0].codec == "aac"; }},
        {"-ab", Out({"-ab", "128.000000"}),
         [](auto &p) { return p.output.audio[0].bit_rate == 128'000; }},
        {"-ab", Out({"-ab", "96,000000"}),
         [](auto &p) { return p.output.audio[0].bit_rate == 96'000; }},
        {"-ar", Out({"-ar", "44100"}),
         [](auto &p) { return p.output.audio[0].sample_rate == 44100; }},
        {"-ac", Out({"-ac", "1"}), [](auto &p) { return p.output.audio[0].channels == 1; }},
        {"-vol", Out({"-vol", "384"}), [](auto &p) { return p.output.audio[0].volume == 384; }},
        {"-aq", Out({"-acodec", "mp3", "-aq", "4"}, "out.mp3"),
         [](auto &p) { return p.output.audio[0].quality == 4.0; }},
        {"-q:a", Out({"-acodec", "vorbis", "-q:a", "6"}, "out.ogg"),
         [](auto &p) { return p.output.audio[0].quality == 6.0; }},
        {"-atag", Out({"-atag", "mp4a"}), [](auto &p) { return p.output.audio[0].tag == "mp4a"; }},
        {"-newaudio",
         {"-i",       "in.mts",  "-vol", "512", "-map",  "0:0", "-map", "0:1", "-map", "0:2",
          "@out.mkv", "-acodec", "ac3",  "-ar", "48000", "-ab", "448",  "-ac", "2",    "-newaudio"},
         [](auto &p) {
             const auto &extra = p.output.audio.at(1);
             return p.output.audio.size() == 2 && extra.codec == "ac3" && extra.bit_rate == 448'000
                 && extra.channels == 2 && extra.volume == 512;
         }},
        // Merged inputs.
        {"-ivs",
         {"-ivs", "&new &dshow &file /media/a b.avi", "-ias", "&file /media/a b.avi", "-ivs",
          "&new &file /media/c.avi", "-ias", "&file /media/c.avi", "@out.mp4"},
         [](auto &p) {
             return p.merged && p.inputs.size() == 2 && p.inputs[0].path == "/media/a b.avi"
                 && p.inputs[0].platform_route && !p.inputs[1].platform_route;
         }},
        {"-ias",
         {"-ivs", "&new &file /media/c.avi", "-ias", "&file /media/c.avi", "@out.mp4"},
         [](auto &p) { return p.merged && p.inputs.size() == 1; }},
    };
    return kCases;
}

const std::vector<Refused> &RefusedCases()
{
    static const std::vector<Refused> kCases = {
        {"-ss", {"-ss", "ten", "-i", "in.mts", "@out.mp4"}, "-ss"},
        {"-ss", Out({"-ss", "5"}), "-ss"}, // an input option after the input
        {"-t", {"-t", "-00:00:01", "-i", "in.mts", "@out.mp4"}, "-t"},
        {"-t", {"-t", "0", "-i", "in.mts", "@out.mp4"}, "-t"},
        {"-f", {"-f", "nosuchdemuxer", "-i", "in.mts", "@out.mp4"}, "-f", true},
        {"-f", Out({"-f", "nosuchmuxer"}), "-f"},
        {"-threads", Out({"-threads", "many"}), "-threads"},
        {"-threads", {"-threads", "-1", "-i", "in.mts", "@out.mp4"}, "-threads"},
        {"-i", {"-i"}, "-i"},
        {"-i", {"-i", "/nonexistent/clip.avi", "@out.mp4"}, "/nonexistent/clip.avi", true},
        {"-map", Out({"-map", "0"}), "-map"},
        {"-map", Out({"-map", "1:0"}), "-map"},
        {"-map", Out({"-map", "0:9"}), "0:9"},
        {"-map", Out({"-map", "0:3"}), "0:3"},
        {"-map", Out({"-map", "0:0", "-map", "0:0"}), "-map"},
        {"-fs", Out({"-fs", "4.7GB"}), "-fs"},
        {"-fs", Out({"-fs", "-1"}), "-fs"},
        {"-movflags", Out({"-movflags", "+nosuchflag"}), "nosuchflag"},
        {"-muxrate", Out({"-muxrate", "fast"}), "-muxrate"},
        {"-packetsize", Out({"-packetsize", "0"}), "-packetsize"},
        {"-strict", Out({"-strict", "lax"}), "-strict"},
        {"-strict", Out({"-strict", "3"}), "-strict"},
        {"-vcodec", Out({"-vcodec", "h266"}), "\"h266\" is unknown"},
        {"-vcodec", Out({"-vcodec", "aac"}), "not a video codec"},
        {"-vcodec", Out({"-vcodec", "msmpeg4v1"}), "no encoder for the video codec \"msmpeg4v1\""},
        {"-vcodec", Out({"-vcodec", "wmv2"}), "cannot hold"},
        {"-vcodec", Out({"-vcodec", "copy"}), "copy"},
        {"-b", Out({"-b", "fast"}), "-b"},
        {"-b", Out({"-b", "-5"}), "-b"},
        {"-r", Out({"-r", "0"}), "-r"},
        {"-r", Out({"-r", "29.97fps"}), "-r"},
        {"-r", Out({"-vcodec", "mpeg1video", "-r", "20"}, "out.mpg"), "-r"},
        {"-s", Out({"-s", "wide"}), "-s"},
        {"-s", Out({"-s", "320x-240"}), "-s"},
        {"-s", Out({"-s", "-96x240"}), "The picture size -96x240 of -s leaves no picture"},
        {"-s", Out({"-s", "0x240"}), "leaves no picture"},
        {"-s", Out({"-s", "20000x10"}), "-s"},
        {"-croptop", Out({"-croptop", "-8"}), "-croptop"},
        {"-cropbottom", Out({"-cropbottom", "x"}), "-cropbottom"},
        {"-cropleft", Out({"-cropleft", "1.5"}), "-cropleft"},
        {"-cropright", Out({"-cropleft", "80", "-cropright", "80"}), "leaves nothing"},
        {"-padtop", Out({"-padtop", "-2"}), "-padtop"},
        {"-padbottom", Out({"-padbottom", "x"}), "-padbottom"},
        {"-padleft", Out({"-padleft", "1.5"}), "-padleft"},
        {"-padright", Out({"-padright", "99999"}), "-padright"},
        {"-padcolor", Out({"-padcolor", "0xGG0000"}), "-padcolor"},
        {"-padcolor", Out({"-padcolor", "0x1000000"}), "-padcolor"},
        {"-aspect", Out({"-aspect", "wide"}), "-aspect"},
        {"-aspect", Out({"-aspect", "16:0"}), "-aspect"},
        {"-aspect", Out({"-aspect", "20"}), "-aspect"},
        {"-vprofile", Out({"-vcodec", "mpeg4", "-vprofile", "extreme"}), "-vprofile"},
        {"-vprofile", Out({"-vcodec", "h264", "-vprofile", "extreme"}), "libx264"},
        {"-profile:v", Out({"-vcodec", "mpeg4", "-profile:v", "extreme"}), "-vprofile"},
        {"-level", Out({"-level", "high"}), "-level"},
        {"-level", Out({"-vcodec", "mpeg4", "-level", "3.1"}), "-level"},
        {"-preset", Out({"-vcodec", "h264", "-preset", "ludicrous"}), "libx264"},
        {"-preset", Out({"-vcodec", "mpeg4", "-preset", "slow"}), "-preset"},
        {"-tune", Out({"-vcodec", "h264", "-tune", "nonsense"}), "libx264"},
        {"-tune", Out({"-vcodec", "mpeg4", "-tune", "film"}), "-tune"},
        {"-x264-params", Out({"-vcodec", "h264", "-x264-params", "keyint48"}), "-x264-params"},
        {"-x264-params", Out({"-vcodec", "mpeg4", "-x264-params", "keyint=1"}), "x264-params"},
        {"-x264opts", Out({"-vcodec", "mpeg4", "-x264opts", "keyint=1"}), "x264"},
        {"-g", Out({"-g", "x"}), "-g"},
        {"-pass", Out({"-pass", "3", "-passlogfile", "/tmp/job/passes"}), "-pass"},
        {"-pass", Out({"-pass", "1"}), "-passlogfile"},
        {"-passlogfile", Out({"-passlogfile", "/tmp/job/passes"}), "-passlogfile"},
        {"-bf", Out({"-bf", "99"}), "-bf"},
        {"-refs", Out({"-refs", "0"}), "-refs"},
        {"-coder", Out({"-coder", "huffman"}), "-coder"},
        {"-coder", Out({"-vcodec", "wmv2", "-coder", "1"}, "out.wmv"), "-coder"},
        {"-maxrate", Out({"-maxrate", "lots"}), "-maxrate"},
        {"-minrate", Out({"-minrate", "-1"}), "-minrate"},
        {"-bufsize", Out({"-bufsize", "big"}), "-bufsize"},
        {"-qmin", Out({"-qmin", "70"}), "-qmin"},
        {"-qmax", Out({"-qmax", "x"}), "-qmax"},
        {"-crf", Out({"-crf", "64"}), "-crf"},
        {"-crf", Out({"-vcodec", "mpeg4", "-crf", "20"}, "out.avi"), "-crf"},
        {"-qscale", Out({"-qscale", "0"}), "-qscale"},
        {"-q:v", Out({"-q:v", "32"}), "-q:v"},
        {"-pix_fmt", Out({"-pix_fmt", "yuv999p"}), "-pix_fmt"},
        {"-pix_fmt", Out({"-vcodec", "mpeg4", "-pix_fmt", "rgb24"}, "out.avi"), "-pix_fmt"},
        {"-vtag", Out({"-vtag", "TOOLONG"}), "-vtag"},
        {"-vtag", Out({"-vtag", ""}), "-vtag"},
        {"-x265-params", Out({"-vcodec", "hevc", "-x265-params", "aq-mode"}), "-x265-params"},
        {"-x265-params", Out({"-vcodec", "h264", "-x265-params", "aq-mode=3"}), "-x265-params"},
        {"-svtav1-params", Out({"-vcodec", "av1", "-svtav1-params", "fast"}, "out.mkv"),
         "-svtav1-params"},
        {"-svtav1-params", Out({"-vcodec", "h264", "-svtav1-params", "tune=0"}), "-svtav1-params"},
        {"-deadline", Out({"-vcodec", "vp9", "-deadline", "soon"}, "out.webm"), "-deadline"},
        {"-deadline", Out({"-vcodec", "h264", "-deadline", "good"}), "-deadline"},
        {"-cpu-used", Out({"-vcodec", "vp9", "-cpu-used", "9"}, "out.webm"), "-cpu-used"},
        {"-row-mt", Out({"-vcodec", "vp9", "-row-mt", "2"}, "out.webm"), "-row-mt"},
        {"-tile-columns", Out({"-vcodec", "vp9", "-tile-columns", "7"}, "out.webm"),
         "-tile-columns"},
        {"-slices", Out({"-vcodec", "ffv1", "-slices", "0"}, "out.mkv"), "-slices"},
        {"-slicecrc", Out({"-vcodec", "ffv1", "-slicecrc", "yes"}, "out.mkv"), "-slicecrc"},
        {"-slicecrc", Out({"-vcodec", "h264", "-slicecrc", "1"}), "-slicecrc"},
        {"-context", Out({"-vcodec", "ffv1", "-context", "2"}, "out.mkv"), "-context"},
        {"-color_primaries", Out({"-color_primaries", "bt999"}), "-color_primaries"},
        {"-color_trc", Out({"-color_trc", "unspecified"}), "-color_trc"},
        {"-colorspace", Out({"-colorspace", "rgbish"}), "-colorspace"},
        {"-color_range", Out({"-color_range", "full"}), "-color_range"},
        {"-vhook", Out({"-vhook", "Deinterlace -f x"}), "Deinterlace"},
        {"-vhook", Out({"-vhook", "SubTitleHook"}), "-vhook"},
        {"-vhook", Out({"-vhook", "SubTitleHook -f @missing.srt"}), "cannot be found"},
        {"-acodec", Out({"-acodec", "nosuchcodec"}), "\"nosuchcodec\" is unknown"},
        {"-acodec", Out({"-acodec", "amr_nb"}), "no encoder for the audio codec \"amr_nb\""},
        {"-acodec", Out({"-acodec", "h264"}), "not an audio codec"},
        {"-ab", Out({"-ab", "12o"}), "-ab"},
        {"-ab", Out({"-ab", "-128"}), "-ab"},
        {"-ar", Out({"-ar", "44k"}), "-ar"},
        {"-ar", Out({"-acodec", "ac3", "-ar", "22050"}), "-ar"},
        {"-ac", Out({"-ac", "0"}), "-ac"},
        {"-ac", Out({"-acodec", "mp3", "-ac", "6"}, "out.mp3"), "-ac"},
        {"-vol", Out({"-vol", "loud"}), "-vol"},
        {"-vol", Out({"-vol", "-1"}), "-vol"},
        {"-aq", Out({"-aq", "good"}), "-aq"},
        {"-q:a", Out({"-q:a", "good"}), "-q:a"},
        {"-atag", Out({"-atag", "TOOLONG"}), "-atag"},
        {"-newaudio", {"-i", "in.mts", "-newaudio", "@out.mp4"}, "-newaudio"},
        {"-newaudio", {"-i", "in.mts", "@out.mp4", "-s", "320x240", "-newaudio"}, "-s"},
        {"-newaudio", {"-i", "in.mts", "@out.mp4", "-acodec", "ac3"}, "-newaudio"},
        {"-newaudio",
         {"-i", "in.mts", "-map", "0:0", "-map", "0:1", "@out.mkv", "-acodec", "ac3", "-newaudio",
          "-acodec", "ac3", "-newaudio"},
         "-newaudio"},
        {"-ivs", {"-ivs", "&new &stream /media/a.avi", "@out.mp4"}, "&new &stream"},
        {"-ivs", {"-ivs", "&new &file ", "@out.mp4"}, "names no file"},
        {"-ivs", {"-ivs", "&new &file /media/a.avi", "-i", "/media/b.avi", "@out.mp4"}, "-i"},
        {"-ias", {"-ias", "&file /media/a.avi", "@out.mp4"}, "-ias"},
        {"-ias",
         {"-ivs", "&new &file /media/a.avi", "-ias", "&file /media/b.avi", "@out.mp4"},
         "/media/b.avi"},
    };
    return kCases;
}

/// The options a table of docs/engine-options.md lists ("| `-crop...` `-padtop` | ..." rows)
/// and those its text introduces in backquotes (-ivs, -ias, -newaudio).
std::set<std::string> DocumentedOptions()
{
    std::ifstream file(std::string(QUILLET_SOURCE_DIR) + "/docs/engine-options.md");
    std::set<std::string> options;
    const std::regex option("`(-[a-z][a-z0-9_:-]*)[` ]");
    std::string line;
    while (std::getline(file, line)) {
        std::string scope = line;
        if (line.starts_with("| `-"))
            scope = line.substr(0, line.find('|', 1)); // the option column
        else if (line.find("`-ivs") == std::string::npos && line.find("`-ias") == std::string::npos
                 && line.find("`-newaudio`") == std::string::npos)
            continue;
        for (std::sregex_iterator it(scope.begin(), scope.end(), option), end; it != end; ++it) {
            const std::string name = (*it)[1];
            if (line.starts_with("| `-") || name == "-ivs" || name == "-ias" || name == "-newaudio")
                options.insert(name);
        }
    }
    return options;
}

// Options that stand alone: nothing to refuse but their place, which the cases above cover.
const std::set<std::string> kFlags = {"-an", "-vn", "-sn", "-y", "-hq"};

} // namespace

TEST(EngineOptions, everyDocumentedOptionHasAnAcceptedAndARefusedCase)
{
    const std::set<std::string> documented = DocumentedOptions();
    ASSERT_GT(documented.size(), 60u) << "docs/engine-options.md was not read";
    std::set<std::string> accepted, refused;
    for (const Accepted &c : AcceptedCases())
        accepted.insert(c.option);
    for (const Refused &c : RefusedCases())
        refused.insert(c.option);
    for (const std::string &option : documented) {
        EXPECT_TRUE(accepted.count(option)) << option << " has no accepted case";
        if (!kFlags.count(option)) {
            EXPECT_TRUE(refused.count(option)) << option << " has no refused value";
        }
    }
    // And nothing here that the documentation does not describe.
    for (const std::string &option : accepted)
        EXPECT_TRUE(documented.count(option)) << option << " is not documented";
}

TEST(EngineOptions, goodValuesLandInThePlanAndPassEveryCheck)
{
    const OptionFolder folder;
    for (const Accepted &c : AcceptedCases()) {
        SCOPED_TRACE(c.option + " in case of: " + ::testing::PrintToString(c.args));
        const std::vector<std::string> args = folder.Resolve(c.args);
        ConversionPlan plan;
        ASSERT_EQ(RefusalOf([&] { plan = Parse(args); }), "");
        EXPECT_TRUE(c.holds(plan));
        EXPECT_EQ(RefusalOf([&] { DryRun(args); }), "");
    }
}

TEST(EngineOptions, badValuesAreRefusedNamingWhatIsWrong)
{
    const OptionFolder folder;
    for (const Refused &c : RefusedCases()) {
        SCOPED_TRACE(c.option + " in case of: " + ::testing::PrintToString(c.args));
        const std::vector<std::string> args = folder.Resolve(c.args);
        const std::string message = c.opens_input ? RefusalOf([&] {
            ProgressReporter progress(nullptr);
            InputFile input(Parse(args).inputs.at(0), progress);
        })
                                                  : RefusalOf([&] { DryRun(args); });
        EXPECT_NE(message, "");
        EXPECT_NE(message.find(c.named), std::string::npos) << message;
    }
}

TEST(EngineOptions, refusalsBeforeAnyFileIsOpenedAreBadArguments)
{
    // The parser's refusals come back from ffmain as DOLMAR_BAD_ARGS, failures as DOLMAR_FAILED.
    try {
        Parse({"-i", "in.mts", "-ab", "12o", "out.mp4"});
        FAIL() << "not refused";
    } catch (const EngineError &error) {
        EXPECT_EQ(error.ErrorKind(), EngineError::Kind::BadArgs);
        EXPECT_STREQ(error.what(), "The value \"12o\" of -ab is not a number.");
    }
}

TEST(EngineOptions, emptyArgumentsAreSkippedAndTheExtensionNeedNotBeKnownToTheParser)
{
    const ConversionPlan plan
        = Parse({"", "-i", "in.mts", "", "-vcodec", "mpeg4", "", "out.unknownext"});
    EXPECT_EQ(plan.inputs.size(), 1u);
    EXPECT_EQ(plan.output.video.codec, "mpeg4");
    EXPECT_EQ(plan.output.path, "out.unknownext");
    // The extension is judged when the output format is decided.
    EXPECT_NE(RefusalOf([] {
                  DryRun({"-i", "in.mts", "/tmp/out.unknownext"});
              }).find("cannot be told from its extension"),
              std::string::npos);
}

TEST(EngineOptions, inputOptionsCarryOnToEveryLaterSegment)
{
    const ConversionPlan plan
        = Parse({"-threads", "2", "-ivs", "&new &file a.avi", "-ias", "&file a.avi", "-ss", "3",
                 "-ivs", "&new &file b.avi", "out.mp4"});
    ASSERT_EQ(plan.inputs.size(), 2u);
    EXPECT_EQ(plan.inputs[0].decoder_threads, 2);
    EXPECT_EQ(plan.inputs[0].start_us, 0);
    EXPECT_EQ(plan.inputs[1].decoder_threads, 2);
    EXPECT_EQ(plan.inputs[1].start_us, 3'000'000);
    EXPECT_NE(RefusalOf([] {
                  Parse({"-ivs", "&new &file a.avi", "-ivs", "&new &file b.avi", "-map", "0:1",
                         "out.mp4"});
              }).find("-map"),
              std::string::npos);
}
