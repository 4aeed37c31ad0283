// SPDX-License-Identifier: GPL-3.0-or-later
// Whole conversions of the sources people have today, each shown as it was meant: HDR10 and HLG
// on an SDR device, a phone clip whose rate varies in containers of one rate, a sharp
// progressive picture left untouched, film pulled down to 29.97, a 60 fps clip on an HD disc,
// and chapters. Clips are made at test time, a fraction of a second each.

#include "EngineHarness.h"

#include "Command.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

using namespace quillet::test;
using dolmar_test::RunEngine;
using dolmar_test::StreamField;

namespace {

/// Runs the ffmpeg program quietly; throws when it fails.
void Ffmpeg(std::vector<std::string> args)
{
    args.insert(args.begin(), {"ffmpeg", "-v", "error", "-y", "-nostdin"});
    const CommandResult run = RunCommand(args);
    if (run.exit_code != 0)
        throw std::runtime_error("ffmpeg failed: " + run.err);
}

/// The first line of an ffprobe field (transport streams list their streams twice).
std::string Field(const std::string &path, const std::string &stream, const std::string &field)
{
    const std::string all = StreamField(path, stream, field);
    return all.substr(0, all.find('\n'));
}

/// The luma (Y, as coded: 16 black, 235 white) at (x, y) of the first picture of path, passed
/// through filter when one is given.
int LumaAt(const std::string &path, int x, int y, const std::string &filter = "")
{
    std::vector<std::string> args{"ffmpeg", "-v", "error", "-nostdin", "-i", path};
    if (!filter.empty())
        args.insert(args.end(), {"-vf", filter});
    args.insert(args.end(), {"-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "yuv420p", "-"});
    const CommandResult run = RunCommand(args);
    const int width = std::atoi(Field(path, "v:0", "width").c_str());
    const std::size_t at = static_cast<std::size_t>(y) * width + x;
    return run.exit_code == 0 && at < run.out.size() ? static_cast<unsigned char>(run.out[at]) : -1;
}

/// Luma PSNR of each picture of a against the picture of b in the same place, in order.
std::vector<double> PicturePsnr(const std::string &a, const std::string &b, const TempDir &dir)
{
    const std::string stats = dir.file("psnr.txt");
    Ffmpeg({"-i", a, "-i", b, "-lavfi",
            "[0]settb=1,setpts=N[a];[1]settb=1,setpts=N[b];[a][b]psnr=stats_file=" + stats, "-f",
            "null", "-"});
    std::vector<double> values;
    std::ifstream in(stats);
    for (std::string line; std::getline(in, line);) {
        const auto at = line.find("psnr_y:");
        if (at != std::string::npos)
            values.push_back(
                line.compare(at + 7, 3, "inf") == 0 ? 99.0 : std::atof(line.c_str() + at + 7));
    }
    return values;
}

/// When the first picture brighter than mid-grey is shown, in seconds; -1 when none is.
double FirstBrightPicture(const std::string &path)
{
    const CommandResult run = RunCommand(
        {"ffmpeg", "-nostdin", "-i", path, "-vf", "showinfo", "-an", "-f", "null", "-"});
    std::istringstream lines(run.err);
    for (std::string line; std::getline(lines, line);) {
        const auto time = line.find("pts_time:");
        const auto mean = line.find("mean:[");
        if (time != std::string::npos && mean != std::string::npos
            && std::atoi(line.c_str() + mean + 6) > 128)
            return std::atof(line.c_str() + time + 9);
    }
    return -1;
}

/// When the sound first rises above silence, in seconds; -1 when it never does.
double SoundOnset(const std::string &path)
{
    const CommandResult run
        = RunCommand({"ffmpeg", "-nostdin", "-i", path, "-af", "silencedetect=n=-30dB:d=0.05",
                      "-vn", "-f", "null", "-"});
    const auto at = run.err.find("silence_end:");
    return at == std::string::npos ? -1 : std::atof(run.err.c_str() + at + 12);
}

double FormatDuration(const std::string &path)
{
    const CommandResult run = RunCommand(
        {"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path});
    return std::atof(run.out.c_str());
}

/// "start-end title" of each chapter, times to the tenth of a second.
std::vector<std::string> ChapterList(const std::string &path)
{
    const CommandResult run
        = RunCommand({"ffprobe", "-v", "error", "-show_entries",
                      "chapter=start_time,end_time:chapter_tags=title", "-of", "csv=p=0", path});
    std::vector<std::string> chapters;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        double start = 0, end = 0;
        char title[128] = {};
        if (std::sscanf(line.c_str(), "%lf,%lf,%127[^\n]", &start, &end, title) >= 2) {
            char text[200];
            std::snprintf(text, sizeof text, "%.1f-%.1f %s", start, end, title);
            chapters.emplace_back(text);
        }
    }
    return chapters;
}

/// An HEVC Main10 BT.2020 clip whose left half is HDR reference white (203 cd/m2) and right
/// half a grey (40 cd/m2), in PQ with a 1000 cd/m2 mastering display, or the same in HLG.
std::string HdrClip(const TempDir &dir, bool hlg)
{
    std::string path = dir.file(hlg ? "hlg.mp4" : "pq.mp4");
    // 10-bit limited-range codes: PQ 203 cd/m2 = 573, 40 cd/m2 = 431; HLG 75 % = 721, 403.
    const std::string codes = hlg ? "721\\,403" : "573\\,431";
    const std::string transfer = hlg ? "arib-std-b67" : "smpte2084";
    std::string x265 = "log-level=error:colorprim=bt2020:colormatrix=bt2020nc:transfer=" + transfer;
    if (!hlg)
        x265 += ":master-display=G(13250,34500)B(7500,3000)R(34000,16000)WP(15635,16450)"
                "L(10000000,1):max-cll=1000,400";
    Ffmpeg({"-f", "lavfi", "-i",
            "color=c=black:s=320x240:r=25:d=0.2,format=yuv420p10le,geq=lum='if(lt(X\\,160)\\,"
                + codes + ")':cb=512:cr=512",
            "-c:v", "libx265", "-pix_fmt", "yuv420p10le", "-x265-params", x265, "-color_primaries",
            "bt2020", "-color_trc", transfer, "-colorspace", "bt2020nc", path});
    return path;
}

// The options an iPad profile gives the engine.
const std::vector<std::string> kIpad{"-vcodec", "h264", "-vprofile", "main", "-level", "31",
                                     "-bf",     "2",    "-refs",     "3",    "-g",     "250"};

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string> &more)
{
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

} // namespace

TEST(HdrSource, pqAndHlgAreToneMappedForAnSdrDeviceAndSaySo)
{
    TempDir dir;
    // The well-known zscale chain with the tone curve the engine uses, run by the ffmpeg program.
    const std::string reference
        = "zscale=t=linear:npl=100,format=gbrpf32le,zscale=p=bt709,tonemap=tonemap=mobius:"
          "desat=0,zscale=t=bt709:m=bt709:r=tv,format=yuv420p";
    for (bool hlg : {false, true}) {
        SCOPED_TRACE(hlg ? "HLG" : "PQ");
        const std::string source = HdrClip(dir, hlg);
        const std::string out = dir.file(hlg ? "hlg-ipad.mp4" : "pq-ipad.mp4");
        ASSERT_EQ(RunEngine(With(With({"-i", source}, kIpad), {out})).result, 0);
        // Reference white is white on the device, grey is where tone mapping puts it.
        EXPECT_GE(LumaAt(out, 80, 120), 180);
        EXPECT_NEAR(LumaAt(out, 240, 120), LumaAt(source, 240, 120, reference), 3);
        EXPECT_EQ(StreamField(out, "v:0", "color_transfer"), "bt709");
        EXPECT_EQ(StreamField(out, "v:0", "color_primaries"), "bt709");
        EXPECT_EQ(StreamField(out, "v:0", "color_space"), "bt709");
        EXPECT_EQ(StreamField(out, "v:0", "pix_fmt"), "yuv420p");
        EXPECT_EQ(StreamField(out, "v:0", "profile"), "Main");
    }
}

TEST(HdrSource, tenBitHevcKeepsTheColourTagsAndTheMasteringData)
{
    TempDir dir;
    const std::string source = HdrClip(dir, false);
    for (const char *name : {"kept.mkv", "kept.mp4"}) {
        const std::string out = dir.file(name);
        ASSERT_EQ(
            RunEngine({"-i", source, "-vcodec", "hevc", "-pix_fmt", "yuv420p10le", out}).result, 0);
        EXPECT_EQ(StreamField(out, "v:0", "color_transfer"), "smpte2084") << name;
        EXPECT_EQ(StreamField(out, "v:0", "color_primaries"), "bt2020") << name;
        EXPECT_EQ(StreamField(out, "v:0", "pix_fmt"), "yuv420p10le") << name;
        // On the stream, where players look first, and in the pictures.
        const CommandResult stream
            = RunCommand({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_streams",
                          "-show_frames", "-read_intervals", "%+#1", out});
        for (const char *expected : {"Mastering display metadata", "Content light level metadata",
                                     "max_content=1000", "max_average=400"}) {
            const auto first = stream.out.find(expected);
            EXPECT_NE(first, std::string::npos) << name << ": " << expected;
            EXPECT_NE(stream.out.find(expected, first + 1), std::string::npos)
                << name << ": " << expected;
        }
    }
}

TEST(VariableRateSource, aPhoneClipGetsARateTheContainerTakesAndStaysInSync)
{
    TempDir dir;
    // 30, 15 and 24 pictures a second, a white picture and a beep at 2.5 s.
    const std::string phone = dir.file("phone.mp4");
    Ffmpeg({"-f",
            "lavfi",
            "-i",
            "color=c=black:s=160x120:r=30:d=1",
            "-f",
            "lavfi",
            "-i",
            "color=c=black:s=160x120:r=15:d=1",
            "-f",
            "lavfi",
            "-i",
            "color=c=black:s=160x120:r=24:d=1,drawbox=c=white:t=fill:enable='between(t,0.5,0.54)'",
            "-f",
            "lavfi",
            "-i",
            "aevalsrc=if(between(t\\,2.5\\,2.6)\\,0.5*sin(2*PI*1000*t)\\,0):d=3:s=48000",
            "-filter_complex",
            "[0][1][2]concat=n=3:v=1:a=0[v]",
            "-map",
            "[v]",
            "-map",
            "3",
            "-c:v",
            "libx264",
            "-c:a",
            "aac",
            "-fps_mode",
            "vfr",
            phone});
    ASSERT_GT(std::atof(Field(phone, "v:0", "r_frame_rate").c_str()), 60); // the track's clock

    struct Case
    {
        const char *name;
        std::vector<std::string> options;
        const char *rate;
    };
    const std::vector<Case> cases{
        {"divx.avi",
         {"-vcodec", "mpeg4", "-vtag", "DX50", "-g", "300", "-bf", "1", "-acodec", "mp3", "-ar",
          "48000", "-ab", "192"},
         "30/1"},
        {"dvd.vob",
         {"-f",       "dvd",  "-vcodec",  "mpeg2video", "-s",          "ntsc",     "-r",
          "29.970",   "-g",   "18",       "-maxrate",   "9000",        "-minrate", "0",
          "-bufsize", "1835", "-muxrate", "10080",      "-packetsize", "2048",     "-acodec",
          "ac3",      "-ar",  "48000",    "-ab",        "448"},
         "30000/1001"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = dir.file(c.name);
        ASSERT_EQ(RunEngine(With(With({"-i", phone}, c.options), {out})).result, 0);
        EXPECT_EQ(Field(out, "v:0", "r_frame_rate"), c.rate);
        EXPECT_NEAR(FormatDuration(out), 3.0, 0.1);
        const double picture = FirstBrightPicture(out);
        const double sound = SoundOnset(out);
        EXPECT_NEAR(picture, 2.5, 0.1);
        EXPECT_NEAR(sound, picture, 0.1);
    }
}

TEST(ProgressivePicture, aSharpMovingPatternIsNotSoftenedByDeinterlacing)
{
    TempDir dir;
    // A screen recording or an animation: MPEG-4 in AVI, which states no scanning.
    const std::string sharp = dir.file("sharp.avi");
    Ffmpeg({"-f", "lavfi", "-i", "testsrc2=s=640x480:r=25:d=1.2", "-c:v", "mpeg4", "-q:v", "2",
            sharp});
    const std::string out = dir.file("out.avi");
    ASSERT_EQ(
        RunEngine({"-i", sharp, "-vcodec", "rawvideo", "-pix_fmt", "yuv420p", "-croptop", "16",
                   "-cropbottom", "16", "-s", "480x320", "-padtop", "8", "-padbottom", "8", out})
            .result,
        0);
    const std::string reference = dir.file("reference.avi");
    Ffmpeg({"-i", sharp, "-vf", "crop=640:448:0:16,scale=480:320:flags=bicubic,pad=480:336:0:8",
            "-c:v", "rawvideo", "-pix_fmt", "yuv420p", reference});
    const std::vector<double> psnr = PicturePsnr(out, reference, dir);
    ASSERT_EQ(psnr.size(), 30u);
    for (std::size_t i = 0; i < psnr.size(); ++i)
        EXPECT_GE(psnr[i], 50.0) << "picture " << i;
}

TEST(FilmSource, telecinedFilmIsRestoredToItsOwnPicturesForAnIpad)
{
    TempDir dir;
    // 40 film frames, pulled down 3:2 into 50 interlaced MPEG-2 pictures at 29.97, as a
    // broadcast or a DVD carries film.
    const std::string film = dir.file("film.nut");
    Ffmpeg({"-f", "lavfi", "-i", "testsrc2=s=320x240:r=24000/1001", "-frames:v", "40", "-c:v",
            "rawvideo", film});
    const std::string broadcast = dir.file("broadcast.mpg");
    Ffmpeg({"-i", film, "-vf", "telecine=pattern=23", "-c:v", "mpeg2video", "-q:v", "2", "-flags",
            "+ilme+ildct", "-top", "1", broadcast});
    const std::string out = dir.file("ipad.mp4");
    ASSERT_EQ(RunEngine(With(With({"-i", broadcast}, kIpad), {out})).result, 0);
    EXPECT_EQ(StreamField(out, "v:0", "r_frame_rate"), "24000/1001");
    // Each film frame once, in order: a blend, a duplicate or a combed picture would fall far
    // below the encoder's own loss.
    const std::vector<double> psnr = PicturePsnr(out, film, dir);
    EXPECT_EQ(psnr.size(), 40u);
    for (std::size_t i = 0; i < psnr.size(); ++i)
        EXPECT_GE(psnr[i], 35.0) << "picture " << i;
}

TEST(DiscRate, aSixtyFrameClipOnAvchdTakesTheNearestDiscRateInSync)
{
    TempDir dir;
    const std::string sixty = dir.file("sixty.mp4");
    Ffmpeg({"-f", "lavfi", "-i", "testsrc2=s=320x180:r=60:d=0.5", "-f", "lavfi", "-i",
            "sine=d=0.5:sample_rate=48000", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac",
            sixty});
    const std::string out = dir.file("avchd.m2ts");
    ASSERT_EQ(RunEngine({"-i", sixty, "-vcodec", "h264", "-vprofile", "high", "-level", "41", "-s",
                         "1920x1080", "-f", "mpegts", "-acodec", "ac3", "-ar", "48000", "-ab",
                         "448", out})
                  .result,
              0);
    EXPECT_EQ(Field(out, "v:0", "r_frame_rate"), "30000/1001");
    const double picture = std::atof(Field(out, "v:0", "duration").c_str());
    const double sound = std::atof(Field(out, "a:0", "duration").c_str());
    EXPECT_NEAR(picture, 0.5, 0.1);
    EXPECT_NEAR(sound, picture, 0.1);
}

TEST(ChapterConversion, chaptersReachEveryContainerThatHoldsThemMovedByACut)
{
    TempDir dir;
    const std::string metadata = dir.file("chapters.txt");
    std::ofstream(metadata) << ";FFMETADATA1\ntitle=Two parts\n"
                               "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=1000\ntitle=Opening\n"
                               "[CHAPTER]\nTIMEBASE=1/1000\nSTART=1000\nEND=2000\ntitle=Ending\n";
    const std::string source = dir.file("parts.mkv");
    Ffmpeg({"-f",
            "lavfi",
            "-i",
            "testsrc2=s=160x120:r=25:d=2",
            "-f",
            "lavfi",
            "-i",
            "sine=d=2",
            "-i",
            metadata,
            "-map",
            "0",
            "-map",
            "1",
            "-map_metadata",
            "2",
            "-map_chapters",
            "2",
            "-c:v",
            "libx264",
            "-c:a",
            "aac",
            source});
    const std::vector<std::string> whole{"0.0-1.0 Opening", "1.0-2.0 Ending"};
    for (const char *name : {"whole.mp4", "whole.mov", "whole.m4a", "whole.mkv"}) {
        const std::string out = dir.file(name);
        ASSERT_EQ(RunEngine({"-i", source, out}).result, 0) << name;
        EXPECT_EQ(ChapterList(out), whole) << name;
    }
    // Ogg keeps them where its codec's comments do (Opus).
    const std::string opus = dir.file("whole.ogg");
    ASSERT_EQ(RunEngine({"-i", source, "-acodec", "opus", opus}).result, 0);
    EXPECT_EQ(ChapterList(opus).size(), 2u);

    const std::string cut = dir.file("cut.mp4");
    ASSERT_EQ(RunEngine({"-ss", "0.5", "-t", "1.0", "-i", source, cut}).result, 0);
    EXPECT_EQ(ChapterList(cut), (std::vector<std::string>{"0.0-0.5 Opening", "0.5-1.0 Ending"}));
    const std::string late = dir.file("late.mkv");
    ASSERT_EQ(RunEngine({"-ss", "1.2", "-i", source, late}).result, 0);
    EXPECT_EQ(ChapterList(late), (std::vector<std::string>{"0.0-0.8 Ending"}));
}
