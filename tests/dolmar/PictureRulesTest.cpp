// SPDX-License-Identifier: GPL-3.0-or-later
// The picture as the source meant it, decided without a media file: turned upright before
// anything else, square pixels where a disc allows nothing else, interlaced sources made
// progressive, and frame rates within the level or disc format the output names.

#include "EngineUnit.h"
#include "InterlaceProbe.h"
#include "VideoFilter.h"

#include <gtest/gtest.h>

#include <memory>

using namespace dolmar;
using dolmar_unit::CameraSource;
using dolmar_unit::Parse;

namespace {

struct FreeFrame
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};

OutputTargets Decide(const std::vector<std::string> &options, const SourceFacts &source,
                     const std::string &output = "/out/clip.mp4")
{
    std::vector<std::string> args{"-i", source.path};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(output);
    return OutputTargets::Decide(Parse(args), source);
}

/// The filters a first frame of the source's stored size passes.
std::string Chain(const OutputTargets &targets, const SourceFacts &source)
{
    const SourceStream &video = source.streams[0];
    VideoFilterSetup setup;
    setup.target = &*targets.video;
    setup.upright_turn = video.upright_turn;
    setup.field_order = video.field_order;
    std::unique_ptr<AVFrame, FreeFrame> frame(av_frame_alloc());
    frame->width = video.width;
    frame->height = video.height;
    frame->format = AV_PIX_FMT_YUV420P;
    frame->sample_aspect_ratio = {1, 1};
    return VideoFilter(setup, frame.get(), AVRational{1, 90000}).Description();
}

SourceFacts Turned(int turn)
{
    SourceFacts phone = CameraSource(1280, 720);
    phone.streams[0].upright_turn = turn;
    return phone;
}

bool Is(AVRational q, int num, int den)
{
    return av_cmp_q(q, AVRational{num, den}) == 0;
}

} // namespace

TEST(UprightPicture, aQuarterTurnSwapsTheSidesBeforeCropAndScale)
{
    const SourceFacts phone = Turned(90);
    const OutputTargets kept = Decide({}, phone);
    EXPECT_EQ(kept.video->width, 720);
    EXPECT_EQ(kept.video->height, 1280);
    EXPECT_EQ(Chain(kept, phone).rfind("transpose=dir=clock,scale=w=720:h=1280", 0), 0u)
        << Chain(kept, phone);

    // Crop bands count on the upright picture: 1000 rows from the top would not fit a stored
    // 720-row picture.
    const OutputTargets cropped = Decide({"-croptop", "1000", "-s", "360x140"}, phone);
    EXPECT_EQ(Chain(cropped, phone).rfind("transpose=dir=clock,crop=w=720:h=280:x=0:y=1000", 0), 0u)
        << Chain(cropped, phone);

    const SourceFacts other_way = Turned(270);
    EXPECT_EQ(Chain(Decide({}, other_way), other_way).rfind("transpose=dir=cclock,", 0), 0u);
    const SourceFacts upside_down = Turned(180);
    const OutputTargets flipped = Decide({}, upside_down);
    EXPECT_EQ(flipped.video->width, 1280);
    EXPECT_EQ(Chain(flipped, upside_down).rfind("hflip,vflip,scale=w=1280:h=720", 0), 0u);

    // A picture stored upright passes as before.
    const SourceFacts plain = Turned(0);
    EXPECT_EQ(Chain(Decide({}, plain), plain).rfind("scale=w=1280:h=720", 0), 0u);
}

TEST(UprightPicture, anamorphicPixelsTurnWithThePicture)
{
    SourceFacts phone = Turned(90);
    phone.streams[0].sample_aspect = {4, 3}; // 1280x720 stored wide: 16:9 * 4/3
    const OutputTargets kept = Decide({"-s", "360x480"}, phone);
    // Upright 720x1280 at 3:4 pixels shows as 540x1280; scaled to 360x480 the pixels are 9:16.
    EXPECT_TRUE(Is(kept.video->sample_aspect, 9, 16))
        << kept.video->sample_aspect.num << "/" << kept.video->sample_aspect.den;
}

TEST(DiscPicture, hdDiscFramesKeepSquarePixelsAndBarAnotherShape)
{
    const SourceFacts four_thirds = CameraSource(640, 480);
    const std::vector<std::string> options{"-s", "1920x1080", "-aspect", "4:3"};
    const OutputTargets disc = Decide(options, four_thirds, "/out/clip.m2ts");
    EXPECT_TRUE(Is(disc.video->sample_aspect, 1, 1));
    EXPECT_EQ(disc.video->width, 1920);
    EXPECT_EQ(Chain(disc, four_thirds)
                  .rfind("scale=w=1440:h=1080:flags=bicubic,"
                         "pad=w=1920:h=1080:x=240:y=0:color=black",
                         0),
              0u)
        << Chain(disc, four_thirds);
    EXPECT_TRUE(
        Is(Decide({"-s", "1280x720"}, four_thirds, "/out/CLIP.MTS").video->sample_aspect, 1, 1));

    // Other containers, and disc frames that allow other pixels (SD, 1440x1080), are left alone.
    EXPECT_TRUE(Is(Decide(options, four_thirds, "/out/clip.mp4").video->sample_aspect, 3, 4));
    EXPECT_TRUE(Is(Decide({"-s", "720x576", "-aspect", "16:9"}, four_thirds, "/out/clip.m2ts")
                       .video->sample_aspect,
                   64, 45));
    // A 16:9 source fills the disc frame without bars.
    const SourceFacts wide = CameraSource(1280, 720);
    const OutputTargets full = Decide({"-s", "1920x1080"}, wide, "/out/clip.m2ts");
    EXPECT_EQ(Chain(full, wide).find("pad="), std::string::npos);
}

namespace {

AVRational RateFor(const std::vector<std::string> &options, AVRational source_rate,
                   const std::string &output = "/out/clip.mp4", int width = 1280, int height = 720)
{
    SourceFacts source = CameraSource(width, height);
    source.streams[0].guessed_frame_rate = source_rate;
    source.streams[0].average_frame_rate = source_rate;
    return Decide(options, source, output).video->frame_rate;
}

} // namespace

TEST(LevelFrameRate, ratesAboveTheLevelAreDividedDownNeverAbove)
{
    const std::vector<std::string> ipad{"-vcodec", "h264", "-level", "31", "-s", "1024x768"};
    EXPECT_TRUE(Is(RateFor(ipad, {60, 1}), 30, 1));
    EXPECT_TRUE(Is(RateFor(ipad, {50, 1}), 25, 1));
    EXPECT_TRUE(Is(RateFor(ipad, {60000, 1001}), 30000, 1001));
    EXPECT_TRUE(Is(RateFor(ipad, {120, 1}), 30, 1));
    EXPECT_TRUE(Is(RateFor(ipad, {25, 1}), 25, 1)); // within the level: untouched
    // "3.1" is the same level; -r is held to it as well.
    std::vector<std::string> dotted{"-vcodec", "h264", "-level", "3.1", "-r", "60"};
    EXPECT_TRUE(Is(RateFor(dotted, {25, 1}), 30, 1));
    // 1080 lines at level 4.1: 8160 macroblocks, at most 30 frames.
    const std::vector<std::string> high{"-vcodec", "h264", "-level", "41", "-s", "1920x1080"};
    EXPECT_TRUE(Is(RateFor(high, {60, 1}), 30, 1));
    // Odd rates are divided too: each output frame stands for the same number of source ones.
    EXPECT_TRUE(Is(RateFor({"-vcodec", "h264", "-level", "13", "-s", "320x240"}, {48, 1}), 24, 1));
    EXPECT_TRUE(Is(RateFor({"-vcodec", "h264", "-level", "13", "-s", "320x240"}, {44, 1}), 22, 1));

    // Without a level, or for an encoder whose levels are not H.264's, nothing changes.
    EXPECT_TRUE(Is(RateFor({"-vcodec", "h264"}, {60, 1}), 60, 1));
    EXPECT_TRUE(Is(RateFor({"-vcodec", "mpeg4", "-level", "31"}, {60, 1}), 60, 1));
}

TEST(LevelFrameRate, discFormatsEndAtTheirOwnRates)
{
    EXPECT_TRUE(Is(RateFor({"-s", "1920x1080"}, {60, 1}, "/out/clip.m2ts"), 30, 1));
    EXPECT_TRUE(
        Is(RateFor({"-s", "1920x1080", "-vcodec", "mpeg2video"}, {50, 1}, "/out/a.m2ts"), 25, 1));
    EXPECT_TRUE(Is(RateFor({"-s", "1920x1080"}, {24000, 1001}, "/out/clip.m2ts"), 24000, 1001));
    // 720p discs carry 50 and 59.94 frames.
    EXPECT_TRUE(Is(RateFor({"-s", "1280x720"}, {60000, 1001}, "/out/clip.m2ts"), 60000, 1001));
}

TEST(Interlacing, interlacedSourcesAreDeinterlacedBeforeAnythingElse)
{
    SourceFacts broadcast = CameraSource(1920, 1080);
    broadcast.streams[0].field_order = AV_FIELD_TT;
    const OutputTargets targets = Decide({"-s", "1024x576"}, broadcast);
    const std::string tff = Chain(targets, broadcast);
    EXPECT_EQ(tff.rfind("bwdif=mode=send_frame:parity=tff:deint=all,scale=w=1024:h=576", 0), 0u)
        << tff;
    // The frame rate stays the source's frame rate: one picture per field pair.
    EXPECT_TRUE(Is(targets.video->frame_rate, 25, 1));

    broadcast.streams[0].field_order = AV_FIELD_TB; // top coded first, bottom shown first
    EXPECT_EQ(Chain(targets, broadcast).rfind("bwdif=mode=send_frame:parity=bff:", 0), 0u);
    broadcast.streams[0].field_order = AV_FIELD_BT;
    EXPECT_EQ(Chain(targets, broadcast).rfind("bwdif=mode=send_frame:parity=tff:", 0), 0u);

    // Fields belong to the stored picture: they are woven before the picture is turned.
    SourceFacts phone = Turned(90);
    phone.streams[0].field_order = AV_FIELD_BB;
    EXPECT_EQ(Chain(Decide({}, phone), phone)
                  .rfind("bwdif=mode=send_frame:parity=bff:deint=all,transpose=dir=clock,", 0),
              0u);

    for (AVFieldOrder order : {AV_FIELD_PROGRESSIVE, AV_FIELD_UNKNOWN}) {
        broadcast.streams[0].field_order = order;
        EXPECT_EQ(Chain(targets, broadcast).find("bwdif"), std::string::npos);
    }
}

TEST(Interlacing, idetCountsDecideOnlyWhenTheFieldsClearlyOutnumber)
{
    EXPECT_EQ((FieldCounts{30, 0, 2, 4}).Verdict(), AV_FIELD_TT);
    EXPECT_EQ((FieldCounts{1, 25, 0, 10}).Verdict(), AV_FIELD_BB);
    // Mostly progressive, a few combed-looking pictures (fast motion, the first frames).
    EXPECT_EQ((FieldCounts{4, 0, 21, 0}).Verdict(), AV_FIELD_PROGRESSIVE);
    EXPECT_EQ((FieldCounts{13, 0, 6, 0}).Verdict(), AV_FIELD_TT);
    EXPECT_EQ((FieldCounts{12, 0, 6, 0}).Verdict(), AV_FIELD_PROGRESSIVE);
    // A still or black start: undetermined pictures decide nothing.
    EXPECT_EQ((FieldCounts{2, 1, 0, 33}).Verdict(), AV_FIELD_PROGRESSIVE);
    EXPECT_EQ((FieldCounts{}).Verdict(), AV_FIELD_PROGRESSIVE);
}
