// SPDX-License-Identifier: GPL-3.0-or-later
// The filter chains a segment's frames pass, as built for a decided output: crop, scale, the
// burnt-in subtitles, the pad bands, the pixel aspect, the encoder's format and the constant frame
// rate, in that order; and the sound's volume, cut and resampling.

#include "AudioFilter.h"
#include "BitmapSubtitles.h"
#include "EngineUnit.h"
#include "VideoFilter.h"

#include "SubtitleFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using namespace dolmar;
using dolmar_unit::CameraSource;
using dolmar_unit::Parse;
using quillet::test::TempDir;
using quillet::test::WriteFile;

namespace {

constexpr AVRational kSourceTimeBase{1, 90000};

struct FreeFrame
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};

/// The first frame of a segment as the decoder hands it over; the chain reads only its format.
std::unique_ptr<AVFrame, FreeFrame> PictureFrame(int width, int height)
{
    std::unique_ptr<AVFrame, FreeFrame> frame(av_frame_alloc());
    frame->width = width;
    frame->height = height;
    frame->format = AV_PIX_FMT_YUV420P;
    frame->sample_aspect_ratio = {1, 1};
    return frame;
}

struct VideoCase
{
    ConversionPlan plan;
    OutputTargets targets;
    VideoFilterSetup setup;
};

VideoCase DecideVideo(const std::vector<std::string> &options,
                      const SourceFacts &source = CameraSource())
{
    std::vector<std::string> args{"-i", "in.mts"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("/out/clip.mp4");
    VideoCase c{Parse(args), {}, {}};
    c.targets = OutputTargets::Decide(c.plan, source);
    c.setup.target = &*c.targets.video;
    // A camera's progressive stream: no picture is judged for combing.
    c.setup.field_order = AV_FIELD_PROGRESSIVE;
    return c;
}

std::string VideoChain(const VideoFilterSetup &setup, int width = 160, int height = 120)
{
    return VideoFilter(setup, PictureFrame(width, height).get(), kSourceTimeBase).Description();
}

const std::string kFinish = ",format=pix_fmts=yuv420p,fps=fps=25/1:start_time=0.000000";

} // namespace

TEST(VideoChain, cropsScalesPadsThenSetsTheAspect)
{
    const VideoCase c
        = DecideVideo({"-croptop", "8", "-cropbottom", "8", "-s", "320x240", "-padtop", "20",
                       "-padbottom", "20", "-padcolor", "0x102030", "-aspect", "4:3"});
    EXPECT_EQ(VideoChain(c.setup),
              "crop=w=160:h=104:x=0:y=8:exact=1,zscale=w=320:h=240:f=bicubic:param_a=0:param_b=0.6,"
              "pad=w=320:h=280:x=0:y=20:color=0x102030,setsar=sar=7/6:max=255"
                  + kFinish);
}

TEST(VideoChain, keepsTheSizeAndScalesWithLanczosForHighQuality)
{
    EXPECT_EQ(VideoChain(DecideVideo({"-hq"}).setup),
              "scale=w=160:h=120:flags=lanczos,setsar=sar=1/1:max=255" + kFinish);
    // From -ss on, the frame-rate filter counts from the cut.
    VideoCase cut = DecideVideo({});
    cut.setup.trim_start_s = 2.5;
    EXPECT_EQ(VideoChain(cut.setup),
              "scale=w=160:h=120:flags=bicubic,setsar=sar=1/1:max=255,format=pix_fmts=yuv420p,"
              "fps=fps=25/1:start_time=2.500000");
}

TEST(VideoChain, textSubtitlesAreBurntAfterScalingAndBeforeThePads)
{
    TempDir dir;
    // The name reaches libass as it is: no filter-graph escaping is involved.
    const std::string subtitles
        = WriteFile(dir.path() / "it's [a], b: c.ass",
                    "[Script Info]\nScriptType: v4.00+\n\n[Events]\nFormat: Layer, Start, End, "
                    "Style, Text\nDialogue: 0,0:00:00.50,0:00:01.50,Default,Hi\n")
              .string();
    VideoCase c = DecideVideo({"-s", "320x240", "-padtop", "20"});
    c.setup.subtitle_path = subtitles;
    c.setup.subtitle_style = "Fontsize=24";
    EXPECT_EQ(VideoChain(c.setup),
              "zscale=w=320:h=240:f=bicubic:param_a=0:param_b=0.6,subtitles=filename=" + subtitles
                  + ":force_style=Fontsize=24,pad=w=320:h=260:x=0:y=20:color=0x000000,"
                    "setsar=sar=1/1:max=255"
                  + kFinish);
}

TEST(VideoChain, bitmapSubtitlesAreBlendedBetweenTwoChains)
{
    TempDir dir;
    quillet::test::WriteVobSub(dir.path() / "subs.idx");
    BitmapSubtitles bitmap((dir.path() / "subs.idx").string());
    EXPECT_EQ(bitmap.EventCount(), 1u);
    VideoCase c = DecideVideo({"-s", "320x240", "-padleft", "16"});
    c.setup.bitmap_subtitles = &bitmap;
    EXPECT_EQ(VideoChain(c.setup),
              "zscale=w=320:h=240:f=bicubic:param_a=0:param_b=0.6,format=pix_fmts=yuv420p,"
              "[bitmap subtitles],"
              "pad=w=336:h=240:x=16:y=0:color=0x000000,setsar=sar=1/1:max=255"
                  + kFinish);
}

TEST(VideoChain, joinedSegmentsKeepTheirShapeInsideThePicture)
{
    // The first segment decides a 16:9 picture; a 4:3 segment is fitted inside with side bars.
    SourceFacts wide = CameraSource(320, 180);
    const ConversionPlan plan
        = Parse({"-ivs", "&new &file a.mts", "-ias", "&file a.mts", "-ivs", "&new &file b.mts",
                 "-ias", "&file b.mts", "/out/joined.mp4"});
    const OutputTargets targets = OutputTargets::Decide(plan, wide);
    VideoFilterSetup setup;
    setup.target = &*targets.video;
    setup.field_order = AV_FIELD_PROGRESSIVE;
    EXPECT_EQ(VideoChain(setup, 320, 180),
              "scale=w=320:h=180:flags=bicubic,setsar=sar=1/1:max=255" + kFinish);
    EXPECT_EQ(
        VideoChain(setup, 160, 120),
        "zscale=w=240:h=180:f=bicubic:param_a=0:param_b=0.6,pad=w=320:h=180:x=40:y=0:color=black,"
        "setsar=sar=1/1:max=255"
            + kFinish);
}

TEST(AudioChain, setsTheVolumeCutsAndResamplesToTheTarget)
{
    const ConversionPlan plan
        = Parse({"-i", "in.mts", "-vol", "512", "-ar", "44100", "-ac", "1", "/out/clip.mp4"});
    const OutputTargets targets = OutputTargets::Decide(plan, CameraSource());
    AudioFilterSetup setup;
    setup.target = &targets.audio.at(0);
    setup.trim_start_s = 1.5;
    setup.trim_end_s = 4.0;
    std::unique_ptr<AVFrame, FreeFrame> first(av_frame_alloc());
    first->format = AV_SAMPLE_FMT_S16;
    first->sample_rate = 48000;
    av_channel_layout_default(&first->ch_layout, 2);
    const AudioFilter filter(setup, first.get(), AVRational{1, 48000});
    EXPECT_EQ(filter.Description(),
              "volume=volume=2.000000,atrim=start=1.500000:end=4.000000,"
              "asetpts=expr=PTS-1.500000/TB,aresample=async=1:first_pts=0:rematrix_maxval=1,"
              "aformat=sample_fmts=fltp:sample_rates=44100:channel_layouts=mono");
}
