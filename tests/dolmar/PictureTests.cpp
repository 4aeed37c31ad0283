// SPDX-License-Identifier: GPL-3.0-or-later
// Whole conversions of sources whose picture needs care: a phone clip stored on its side, a
// 4:3 picture for an HD disc, an interlaced broadcast, a frame rate above the output's level.

#include "EngineHarness.h"

#include "Command.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

using namespace quillet::test;
using dolmar_test::ProbeResult;
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

/// How idet judges a file's pictures one by one: the share it finds interlaced.
double CombedShare(const std::string &path)
{
    const CommandResult run
        = RunCommand({"ffmpeg", "-nostdin", "-i", path, "-vf", "idet", "-an", "-f", "null", "-"});
    const auto line = run.err.find("Single frame detection:");
    if (line == std::string::npos)
        return -1;
    int tff = 0, bff = 0, progressive = 0, undetermined = 0;
    std::sscanf(run.err.c_str() + line,
                "Single frame detection: TFF: %d BFF: %d Progressive: %d "
                "Undetermined: %d",
                &tff, &bff, &progressive, &undetermined);
    const int all = tff + bff + progressive + undetermined;
    return all ? static_cast<double>(tff + bff) / all : -1;
}

bool IsBlack(uint32_t rgb)
{
    return ((rgb >> 16) & 0xFF) < 24 && ((rgb >> 8) & 0xFF) < 24 && (rgb & 0xFF) < 24;
}

bool IsWhite(uint32_t rgb)
{
    return ((rgb >> 16) & 0xFF) > 200 && ((rgb >> 8) & 0xFF) > 200 && (rgb & 0xFF) > 200;
}

class SourcePicture : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<TempDir>();
        // Upright 360x640 with a white band across its top, stored on its side (640x360) with
        // a display matrix saying so, as a phone held upright writes it.
        const std::string stored = s_dir->file("stored.mp4");
        const std::string upright_with_band
            = "testsrc2=s=360x640:r=25:d=1,drawbox=x=0:y=0:w=iw:h=64:color=white:t=fill";
        Ffmpeg({"-f", "lavfi", "-i", upright_with_band + ",transpose=clock", "-c:v", "libx264",
                "-pix_fmt", "yuv420p", stored});
        s_rotated = s_dir->file("phone.mp4");
        Ffmpeg({"-i", stored, "-c", "copy", "-metadata:s:v:0", "rotate=90", s_rotated});
        // An even grey 4:3 picture: any black in an output is a bar.
        s_four_thirds = s_dir->file("four thirds.mp4");
        Ffmpeg({"-f", "lavfi", "-i", "color=c=0x808080:s=640x480:r=25:d=0.4", "-c:v", "libx264",
                "-pix_fmt", "yuv420p", s_four_thirds});
        // 50 fields a second woven into 25 frames: once stating its field order (H.264 coded
        // interlaced), once not (MPEG-4 in AVI), as capture cards write it.
        const std::string woven
            = "testsrc2=s=352x288:r=50:d=0.8,tinterlace=interleave_top,fieldorder=tff";
        s_stated_fields = s_dir->file("stated.mp4");
        Ffmpeg({"-f", "lavfi", "-i", woven, "-c:v", "libx264", "-flags", "+ildct+ilme",
                "-x264-params", "tff=1", "-pix_fmt", "yuv420p", s_stated_fields});
        s_unstated_fields = s_dir->file("unstated.avi");
        Ffmpeg({"-f", "lavfi", "-i", woven, "-c:v", "mpeg4", "-q:v", "3", s_unstated_fields});
        s_sixty = s_dir->file("sixty.mp4");
        Ffmpeg({"-f", "lavfi", "-i", "testsrc2=s=320x240:r=60:d=1", "-c:v", "libx264", "-pix_fmt",
                "yuv420p", s_sixty});
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    std::string Out(const std::string &name) const { return m_dir.file(name); }

    static std::unique_ptr<TempDir> s_dir;
    static std::string s_rotated;
    static std::string s_four_thirds;
    static std::string s_sixty; ///< 1 s at 60 fps, 320x240
    static std::string s_stated_fields;
    static std::string s_unstated_fields;
    TempDir m_dir;
};

std::unique_ptr<TempDir> SourcePicture::s_dir;
std::string SourcePicture::s_rotated;
std::string SourcePicture::s_four_thirds;
std::string SourcePicture::s_sixty;
std::string SourcePicture::s_stated_fields;
std::string SourcePicture::s_unstated_fields;

} // namespace

TEST_F(SourcePicture, aPhoneClipIsProbedAndConvertedUpright)
{
    ProbeResult probe(s_rotated);
    ASSERT_EQ(probe.result, 0);
    const StreamInfo *video = probe.First(DOLMAR_KIND_VIDEO);
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->width, 360);
    EXPECT_EQ(video->height, 640);
    EXPECT_NEAR(video->display_aspect, 0.5625, 0.001);
    EXPECT_NE(std::string(video->description).find("360x640, rotation 90"), std::string::npos)
        << video->description;

    for (const std::vector<std::string> &size :
         {std::vector<std::string>{}, std::vector<std::string>{"-s", "180x320"}}) {
        const std::string out = Out(size.empty() ? "kept.mp4" : "scaled.mp4");
        std::vector<std::string> args{"-i", s_rotated, "-vcodec", "h264"};
        args.insert(args.end(), size.begin(), size.end());
        args.push_back(out);
        ASSERT_EQ(RunEngine(args).result, 0);
        const int width = std::atoi(StreamField(out, "v:0", "width").c_str());
        const int height = std::atoi(StreamField(out, "v:0", "height").c_str());
        EXPECT_EQ(width * 16, height * 9) << out;
        // The band is at the top of the output frame, and only there.
        const RgbFrame frame = GrabFrame(out, 0.5);
        ASSERT_FALSE(frame.empty());
        EXPECT_TRUE(IsWhite(frame.at(width / 2, 2)));
        EXPECT_TRUE(IsWhite(frame.at(width / 4, height / 40)));
        EXPECT_FALSE(IsWhite(frame.at(2, height / 2)));
        EXPECT_FALSE(IsWhite(frame.at(width / 2, height - 3)));
        // The picture is upright in its pixels: no matrix asks players to turn it again.
        EXPECT_EQ(RunCommand({"ffprobe", "-v", "error", "-show_streams", out}).out.find("Display"),
                  std::string::npos);
    }
}

TEST_F(SourcePicture, aFourThirdsPictureOnAnHdDiscIsPillarboxedWithSquarePixels)
{
    const std::string out = Out("disc.m2ts");
    ASSERT_EQ(RunEngine({"-i", s_four_thirds, "-vcodec", "h264", "-s", "1920x1080", "-aspect",
                         "4:3", "-f", "mpegts", out})
                  .result,
              0);
    // A transport stream lists its streams once per program too: the first line is enough.
    EXPECT_EQ(StreamField(out, "v:0", "sample_aspect_ratio").substr(0, 4), "1:1\n");
    EXPECT_EQ(StreamField(out, "v:0", "width").substr(0, 5), "1920\n");
    const RgbFrame frame = GrabFrame(out, 0.0);
    ASSERT_FALSE(frame.empty());
    // 240-pixel bars on both sides of a 1440-pixel picture.
    for (int x : {4, 230, 1690, 1915})
        EXPECT_TRUE(IsBlack(frame.at(x, 540))) << x;
    for (int x : {250, 960, 1670})
        EXPECT_FALSE(IsBlack(frame.at(x, 540))) << x;
}

TEST_F(SourcePicture, aSixtyFrameClipKeepsWithinTheLevelItIsFlaggedWith)
{
    const std::string out = Out("level.mp4");
    ASSERT_EQ(
        RunEngine({"-i", s_sixty, "-vcodec", "h264", "-level", "13", "-s", "320x240", out}).result,
        0);
    EXPECT_EQ(StreamField(out, "v:0", "level"), "13");
    EXPECT_EQ(StreamField(out, "v:0", "r_frame_rate"), "30/1");
    // 300 macroblocks at 30 frames: 9000 a second, within level 1.3's 11880.
    EXPECT_EQ(StreamField(out, "v:0", "nb_frames"), "30");

    // Without a level the rate is the source's.
    const std::string free = Out("free.mp4");
    ASSERT_EQ(RunEngine({"-i", s_sixty, "-vcodec", "h264", free}).result, 0);
    EXPECT_EQ(StreamField(free, "v:0", "r_frame_rate"), "60/1");
}

TEST_F(SourcePicture, interlacedSourcesComeOutProgressiveWhetherOrNotTheySaySo)
{
    for (const std::string &source : {s_stated_fields, s_unstated_fields}) {
        SCOPED_TRACE(source);
        EXPECT_GT(CombedShare(source), 0.8);
        for (const char *name : {"out.mp4", "out.mpg"}) {
            const std::string out = Out(name);
            ASSERT_EQ(RunEngine({"-i", source, out}).result, 0);
            EXPECT_LT(CombedShare(out), 0.15) << name;
            EXPECT_EQ(StreamField(out, "v:0", "field_order"), "progressive") << name;
            EXPECT_EQ(StreamField(out, "v:0", "r_frame_rate"), "25/1") << name;
        }
    }
}
