// SPDX-License-Identifier: GPL-3.0-or-later
// The picture as the source meant it, decided without a media file: turned upright before
// anything else, square pixels where a disc allows nothing else, interlaced sources made
// progressive, frame rates within the level or disc format the output names, and HDR shown as
// it was meant on SDR outputs.

#include "EngineUnit.h"
#include "VideoFilter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

using namespace dolmar;
using dolmar_unit::CameraSource;
using dolmar_unit::Parse;

namespace {

struct FreeFrame
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};

/// A camera's source as it states its scanning: progressive.
SourceFacts Progressive(SourceFacts source)
{
    source.streams[0].field_order = AV_FIELD_PROGRESSIVE;
    return source;
}

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
    SourceFacts phone = Progressive(CameraSource(1280, 720));
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
    const SourceFacts four_thirds = Progressive(CameraSource(640, 480));
    const std::vector<std::string> options{"-s", "1920x1080", "-aspect", "4:3"};
    const OutputTargets disc = Decide(options, four_thirds, "/out/clip.m2ts");
    EXPECT_TRUE(Is(disc.video->sample_aspect, 1, 1));
    EXPECT_EQ(disc.video->width, 1920);
    EXPECT_EQ(Chain(disc, four_thirds)
                  .rfind("zscale=w=1440:h=1080:f=bicubic:param_a=0:param_b=0.6,"
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
    const SourceFacts wide = Progressive(CameraSource(1280, 720));
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

TEST(LevelFrameRate, discsTakeTheNearestRateTheirFormatAllows)
{
    struct Case
    {
        std::vector<std::string> options;
        const char *output;
        AVRational source;
        AVRational expected;
    };
    const std::vector<Case> cases{
        // HD discs at 1080 lines: 23.976, 24, 25, 29.97; whole frames dropped or repeated.
        {{"-s", "1920x1080"}, "/out/clip.m2ts", {60, 1}, {30000, 1001}},
        {{"-s", "1920x1080"}, "/out/clip.mts", {30, 1}, {30000, 1001}},
        {{"-s", "1920x1080"}, "/out/clip.m2ts", {50, 1}, {25, 1}},
        {{"-s", "1920x1080"}, "/out/clip.m2ts", {48, 1}, {24, 1}},
        {{"-s", "1920x1080"}, "/out/clip.m2ts", {15, 1}, {30000, 1001}},
        {{"-s", "1920x1080"}, "/out/clip.m2ts", {24000, 1001}, {24000, 1001}},
        {{"-s", "1440x1080", "-vcodec", "mpeg2video"}, "/out/a.m2ts", {120, 1}, {30000, 1001}},
        // ... within the level: 1080 lines at 4.1 allow 30.
        {{"-s", "1920x1080", "-level", "41"}, "/out/clip.m2ts", {60, 1}, {30000, 1001}},
        // 720 lines: 23.976, 24, 50, 59.94; a 720 at level 3.1 allows only film rates.
        {{"-s", "1280x720"}, "/out/clip.m2ts", {60, 1}, {60000, 1001}},
        {{"-s", "1280x720"}, "/out/clip.m2ts", {25, 1}, {50, 1}},
        {{"-s", "1280x720", "-level", "31"}, "/out/clip.m2ts", {60, 1}, {24, 1}},
        // SD on HD discs, DVD and (S)VCD: the television system's rate.
        {{"-s", "720x576"}, "/out/clip.m2ts", {30, 1}, {25, 1}},
        {{"-s", "720x480"}, "/out/clip.m2ts", {25, 1}, {30000, 1001}},
        {{"-f", "dvd", "-s", "720x480"}, "/out/a.mpg", {60, 1}, {30000, 1001}},
        {{"-s", "720x576"}, "/out/a.vob", {50, 1}, {25, 1}},
        {{"-f", "svcd", "-s", "480x576"}, "/out/a.mpg", {24, 1}, {25, 1}},
        // -r is held to the disc as well.
        {{"-s", "1920x1080", "-r", "30"}, "/out/clip.m2ts", {25, 1}, {30000, 1001}},
        // Not a disc: the source's rate.
        {{"-s", "1920x1080"}, "/out/clip.ts", {60, 1}, {60, 1}},
    };
    for (const Case &c : cases) {
        const AVRational rate = RateFor(c.options, c.source, c.output);
        EXPECT_TRUE(Is(rate, c.expected.num, c.expected.den))
            << c.output << " " << c.options[1] << " from " << c.source.num << "/" << c.source.den
            << ": " << rate.num << "/" << rate.den;
    }
}

TEST(Interlacing, interlacedSourcesAreDeinterlacedBeforeAnythingElse)
{
    SourceFacts broadcast = CameraSource(1920, 1080);
    broadcast.streams[0].field_order = AV_FIELD_TT;
    const OutputTargets targets = Decide({"-s", "1024x576"}, broadcast);
    const std::string tff = Chain(targets, broadcast);
    EXPECT_EQ(tff.rfind("bwdif=mode=send_frame:parity=tff:deint=all,zscale=w=1024:h=576", 0), 0u)
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

    // A stream that states nothing is judged picture by picture: only the pictures found woven
    // are deinterlaced, each by the field order found in it.
    broadcast.streams[0].field_order = AV_FIELD_UNKNOWN;
    EXPECT_EQ(
        Chain(targets, broadcast).rfind("bwdif=mode=send_frame:parity=auto:deint=interlaced,", 0),
        0u);
    broadcast.streams[0].field_order = AV_FIELD_PROGRESSIVE;
    EXPECT_EQ(Chain(targets, broadcast).find("bwdif"), std::string::npos);
}

namespace {

/// A 4K HDR10 clip as a camera or a download has it: HEVC Main10, BT.2020, PQ, 1000 cd/m2
/// mastering display, light levels 1000/400.
SourceFacts Hdr10Source(AVColorTransferCharacteristic transfer = AVCOL_TRC_SMPTE2084)
{
    SourceFacts hdr = Progressive(CameraSource(3840, 2160));
    SourceStream &video = hdr.streams[0];
    video.pixel_format = AV_PIX_FMT_YUV420P10;
    video.color_primaries = AVCOL_PRI_BT2020;
    video.color_transfer = transfer;
    video.color_space = AVCOL_SPC_BT2020_NCL;
    video.color_range = AVCOL_RANGE_MPEG;
    AVMasteringDisplayMetadata mastering{};
    const int primaries[3][2] = {{34000, 16000}, {13250, 34500}, {7500, 3000}};
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 2; ++i)
            mastering.display_primaries[c][i] = AVRational{primaries[c][i], 50000};
    mastering.white_point[0] = AVRational{15635, 50000};
    mastering.white_point[1] = AVRational{16450, 50000};
    mastering.max_luminance = AVRational{1000, 1};
    mastering.min_luminance = AVRational{1, 10000};
    mastering.has_primaries = 1;
    mastering.has_luminance = 1;
    video.hdr.mastering = mastering;
    video.hdr.light = AVContentLightMetadata{1000, 400};
    return hdr;
}

/// The filters a first picture of source passes, coded as the stream says.
std::string HdrChain(const OutputTargets &targets, const SourceFacts &source)
{
    const SourceStream &video = source.streams[0];
    VideoFilterSetup setup;
    setup.target = &*targets.video;
    setup.field_order = video.field_order;
    std::unique_ptr<AVFrame, FreeFrame> frame(av_frame_alloc());
    frame->width = video.width;
    frame->height = video.height;
    frame->format = video.pixel_format;
    frame->color_trc = video.color_transfer;
    frame->color_primaries = video.color_primaries;
    frame->colorspace = video.color_space;
    frame->color_range = video.color_range;
    VideoFilter filter(setup, frame.get(), AVRational{1, 90000});
    // The chain is rebuilt when a stream turns between HDR and SDR.
    frame->color_trc = AVCOL_TRC_BT709;
    EXPECT_EQ(filter.Accepts(frame.get()), !video.Hdr());
    return filter.Description();
}

} // namespace

TEST(DynamicRange, hdrIsToneMappedToBt709ForOutputsThatCannotShowIt)
{
    const std::string tone_map = "scale=w=1920:h=1080:flags=bicubic,"
                                 "zscale=tin=%s:pin=2020:min=2020_ncl:rin=limited:t=linear:npl=100,"
                                 "format=pix_fmts=gbrpf32le,zscale=p=709,"
                                 "tonemap=tonemap=mobius:desat=0,zscale=t=709:m=709:r=limited,"
                                 "format=pix_fmts=yuv420p,setsar";
    for (AVColorTransferCharacteristic transfer : {AVCOL_TRC_SMPTE2084, AVCOL_TRC_ARIB_STD_B67}) {
        const SourceFacts source = Hdr10Source(transfer);
        for (const std::vector<std::string> &options :
             {std::vector<std::string>{"-vcodec", "h264", "-s", "1920x1080"},
              // HEVC in 8 bits cannot carry HDR either.
              std::vector<std::string>{"-vcodec", "hevc", "-s", "1920x1080"}}) {
            const VideoTarget video = *Decide(options, source).video;
            EXPECT_EQ(video.dynamic_range, DynamicRange::ToneMapped);
            EXPECT_EQ(video.pixel_format, AV_PIX_FMT_YUV420P);
            EXPECT_EQ(video.color_primaries, AVCOL_PRI_BT709);
            EXPECT_EQ(video.color_transfer, AVCOL_TRC_BT709);
            EXPECT_EQ(video.color_space, AVCOL_SPC_BT709);
            EXPECT_EQ(video.color_range, AVCOL_RANGE_MPEG);
            char expected[512];
            std::snprintf(expected, sizeof expected, tone_map.c_str(),
                          transfer == AVCOL_TRC_SMPTE2084 ? "smpte2084" : "arib-std-b67");
            const std::string chain = HdrChain(Decide(options, source), source);
            EXPECT_EQ(chain.rfind(expected, 0), 0u) << chain;
        }
    }
    // An SDR source is left as it was: untagged, nothing mapped.
    const SourceFacts sdr = Progressive(CameraSource(1920, 1080));
    const OutputTargets plain = Decide({"-vcodec", "h264"}, sdr);
    EXPECT_EQ(plain.video->dynamic_range, DynamicRange::Standard);
    EXPECT_EQ(plain.video->color_transfer, AVCOL_TRC_UNSPECIFIED);
    EXPECT_EQ(HdrChain(plain, sdr).find("tonemap"), std::string::npos);
}

TEST(DynamicRange, tenBitHevcKeepsTheTagsAndTheMasteringData)
{
    const SourceFacts source = Hdr10Source();
    const OutputTargets kept = Decide({"-vcodec", "hevc", "-pix_fmt", "yuv420p10le"}, source);
    const VideoTarget &video = *kept.video;
    EXPECT_EQ(video.dynamic_range, DynamicRange::Kept);
    EXPECT_EQ(video.color_primaries, AVCOL_PRI_BT2020);
    EXPECT_EQ(video.color_transfer, AVCOL_TRC_SMPTE2084);
    EXPECT_EQ(video.color_space, AVCOL_SPC_BT2020_NCL);
    EXPECT_EQ(HdrChain(kept, source).find("tonemap"), std::string::npos);
    // libx265 gets them as its own settings, in its units (0.00002 and 0.0001 cd/m2).
    EXPECT_EQ(video.hdr.X265Params(),
              "master-display=G(13250,34500)B(7500,3000)R(34000,16000)WP(15635,16450)"
              "L(10000000,1):max-cll=1000,400");
    // A stream stating only its mastering display on 10-bit pictures is HDR10.
    SourceFacts unstated = Hdr10Source(AVCOL_TRC_UNSPECIFIED);
    EXPECT_EQ(
        Decide({"-vcodec", "hevc", "-pix_fmt", "yuv420p10le"}, unstated).video->color_transfer,
        AVCOL_TRC_SMPTE2084);
    unstated.streams[0].hdr = {};
    EXPECT_FALSE(unstated.streams[0].Hdr());
}
