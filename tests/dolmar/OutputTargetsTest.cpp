// SPDX-License-Identifier: GPL-3.0-or-later
// What the output will hold, decided from the plan and the source's facts, and the encoder
// settings that follow from it: the choices a whole conversion would otherwise have to show.

#include "EncoderSettings.h"
#include "EngineUnit.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <gtest/gtest.h>

#include <memory>

using namespace dolmar;
using dolmar_unit::CameraSource;
using dolmar_unit::Parse;
using dolmar_unit::RefusalOf;

namespace {

OutputTargets Decide(const std::vector<std::string> &output_options,
                     const std::string &output = "/out/clip.mp4",
                     const SourceFacts &source = CameraSource())
{
    std::vector<std::string> args{"-i", source.path};
    args.insert(args.end(), output_options.begin(), output_options.end());
    args.push_back(output);
    return OutputTargets::Decide(Parse(args), source);
}

std::string Refusal(const std::vector<std::string> &output_options,
                    const std::string &output = "/out/clip.mp4",
                    const SourceFacts &source = CameraSource())
{
    return RefusalOf([&] { Decide(output_options, output, source); });
}

bool Is(AVRational q, int num, int den)
{
    return av_cmp_q(q, AVRational{num, den}) == 0;
}

struct CodecContextFree
{
    void operator()(AVCodecContext *ctx) const { avcodec_free_context(&ctx); }
};
using Context = std::unique_ptr<AVCodecContext, CodecContextFree>;

/// The encoder contexts of the output's video and first audio stream, set up as the output
/// session sets them up before opening them.
struct EncoderContexts
{
    Context video;
    Context audio;
};

EncoderContexts SettingsFor(const std::vector<std::string> &output_options,
                            const std::string &output = "/out/clip.mp4")
{
    std::vector<std::string> args{"-i", "in.mts"};
    args.insert(args.end(), output_options.begin(), output_options.end());
    args.push_back(output);
    const ConversionPlan plan = Parse(args);
    const OutputTargets targets = OutputTargets::Decide(plan, CameraSource());
    EncoderContexts contexts;
    if (targets.video) {
        contexts.video.reset(avcodec_alloc_context3(targets.video->encoder));
        EncoderSettings::ApplyVideo(contexts.video.get(), *targets.video, plan.output);
    }
    if (!targets.audio.empty()) {
        contexts.audio.reset(avcodec_alloc_context3(targets.audio[0].encoder));
        EncoderSettings::ApplyAudio(contexts.audio.get(), targets.audio[0], plan.output);
    }
    return contexts;
}

Context VideoSettingsFor(const std::vector<std::string> &output_options,
                         const std::string &output = "/out/clip.mp4")
{
    return std::move(SettingsFor(output_options, output).video);
}

Context AudioSettingsFor(const std::vector<std::string> &output_options,
                         const std::string &output = "/out/clip.mp4")
{
    return std::move(SettingsFor(output_options, output).audio);
}

} // namespace

TEST(OutputStreams, withoutMapTheFirstVideoAndFirstAudioAreTaken)
{
    SourceFacts source = CameraSource();
    // Cover art comes first in many audio files; it is no video.
    SourceStream cover = source.streams[0];
    cover.cover_art = true;
    source.streams.insert(source.streams.begin(), cover);
    const OutputTargets targets = Decide({}, "/out/clip.mp4", source);
    ASSERT_TRUE(targets.video);
    EXPECT_EQ(targets.video->source_stream, 1);
    ASSERT_EQ(targets.audio.size(), 1u);
    EXPECT_EQ(targets.audio[0].source_stream, 2);
}

TEST(OutputStreams, mapChoosesTheVideoAndEachAudioTrackInOrder)
{
    const OutputTargets targets
        = Decide({"-map", "0:0", "-map", "0:2", "-map", "0:1", "-acodec", "aac"}, "/out/a.mkv");
    EXPECT_EQ(targets.video->source_stream, 0);
    ASSERT_EQ(targets.audio.size(), 2u);
    EXPECT_EQ(targets.audio[0].source_stream, 2);
    EXPECT_EQ(targets.audio[1].source_stream, 1);
    // A track beyond the -newaudio groups takes the first track's options.
    EXPECT_EQ(targets.audio[1].settings.codec, "aac");
    EXPECT_EQ(Refusal({"-map", "0:3"}),
              "Stream 3 of \"/media/camera.mts\" is neither video nor audio (-map 0:3).");
    EXPECT_EQ(Refusal({"-map", "0:4"}),
              "The file \"/media/camera.mts\" has no stream 4 (-map 0:4).");
    EXPECT_EQ(Refusal({"-map", "0:0", "-map", "0:0"}),
              "Only one video stream can be converted; -map 0:0 names a second one.");
}

TEST(OutputStreams, anAudioFormatOrNoVideoLeavesThePictureOut)
{
    EXPECT_FALSE(Decide({}, "/out/song.mp3").video);
    EXPECT_EQ(Decide({}, "/out/song.mp3").audio.size(), 1u);
    EXPECT_FALSE(Decide({"-vn"}).video);
    EXPECT_TRUE(Decide({"-an"}).audio.empty());
    SourceFacts silent_film = CameraSource();
    silent_film.streams.resize(1);
    EXPECT_EQ(Refusal({}, "/out/song.mp3", silent_film),
              "Nothing in \"/media/camera.mts\" can be converted into \"/out/song.mp3\": it has no "
              "audio stream the output can hold.");
}

TEST(OutputPicture, cropScaleAndPadLandOnTheChromaGrid)
{
    // 4:2:0 needs even sizes and offsets: odd values are rounded down, not refused.
    const VideoTarget video = *Decide({"-croptop", "3", "-cropleft", "5", "-s", "161x121",
                                       "-padtop", "9", "-padright", "7"})
                                   .video;
    EXPECT_EQ(video.crop.top, 2);
    EXPECT_EQ(video.crop.left, 4);
    EXPECT_EQ(video.inner_width, 160);
    EXPECT_EQ(video.inner_height, 120);
    EXPECT_EQ(video.pad.top, 8);
    EXPECT_EQ(video.pad.right, 6);
    EXPECT_EQ(video.width, 166);
    EXPECT_EQ(video.height, 128);
    EXPECT_EQ(video.pixel_format, AV_PIX_FMT_YUV420P);
    // Without -s the cropped source size is kept.
    const VideoTarget cropped = *Decide({"-croptop", "20", "-cropbottom", "20"}).video;
    EXPECT_EQ(cropped.inner_width, 160);
    EXPECT_EQ(cropped.inner_height, 80);
    EXPECT_EQ(Refusal({"-croptop", "60", "-cropbottom", "60"}),
              "Cropping 0+0 by 60+60 pixels leaves nothing of the 160x120 picture of "
              "\"/media/camera.mts\".");
    EXPECT_NE(Refusal({"-s", "16384x16384", "-padtop", "2"}).find("larger than any encoder"),
              std::string::npos);
}

TEST(OutputPicture, thePixelAspectKeepsTheShapeUnlessAspectSetsIt)
{
    // Squeezed to half the height, each pixel shows half as wide as it is tall, so the picture
    // shows as the source did.
    EXPECT_TRUE(Is(Decide({"-s", "160x60"}).video->sample_aspect, 1, 2));
    EXPECT_TRUE(Is(Decide({"-s", "80x60"}).video->sample_aspect, 1, 1));
    // -aspect is the display aspect of the final, padded frame: 720x480 at 16:9 is 32:27.
    SourceFacts dvd = CameraSource(720, 480);
    EXPECT_TRUE(Is(Decide({"-aspect", "16:9"}, "/out/a.mp4", dvd).video->sample_aspect, 32, 27));
    EXPECT_TRUE(Is(Decide({"-s", "720x360", "-padtop", "60", "-padbottom", "60", "-aspect", "4:3"},
                          "/out/a.mp4", dvd)
                       .video->sample_aspect,
                   8, 9));
}

TEST(OutputPicture, pixelFormatsAreOnesDevicesPlay)
{
    SourceFacts full_chroma = CameraSource();
    full_chroma.streams[0].pixel_format = AV_PIX_FMT_YUV444P;
    EXPECT_EQ(Decide({}, "/out/a.mp4", full_chroma).video->pixel_format, AV_PIX_FMT_YUV420P);
    EXPECT_EQ(Decide({"-vcodec", "mjpeg"}, "/out/a.avi").video->pixel_format, AV_PIX_FMT_YUVJ420P);
    // DV gets 4:1:1 for 480-line (NTSC) video, 4:2:0 otherwise.
    EXPECT_EQ(Decide({"-s", "720x480", "-r", "ntsc"}, "/out/a.dv").video->pixel_format,
              AV_PIX_FMT_YUV411P);
    EXPECT_EQ(Decide({"-s", "720x576", "-r", "pal"}, "/out/a.dv").video->pixel_format,
              AV_PIX_FMT_YUV420P);
    EXPECT_EQ(Decide({"-pix_fmt", "yuv422p"}).video->pixel_format, AV_PIX_FMT_YUV422P);
    EXPECT_EQ(Refusal({"-vcodec", "mpeg4", "-pix_fmt", "rgb24"}, "/out/a.avi"),
              "The mpeg4 encoder cannot take the pixel format \"rgb24\" of -pix_fmt.");
}

TEST(OutputPicture, losslessEncodersKeepTheSourcesOwnPixels)
{
    struct Case
    {
        AVPixelFormat source;
        const char *codec;
        AVPixelFormat expected;
    };
    const std::vector<Case> cases = {
        {AV_PIX_FMT_YUV420P, "ffv1", AV_PIX_FMT_YUV420P},
        {AV_PIX_FMT_YUV422P10, "ffv1", AV_PIX_FMT_YUV422P10},
        {AV_PIX_FMT_YUV420P10, "ffv1", AV_PIX_FMT_YUV420P10},
        // A lossy encoder still gets what devices play.
        {AV_PIX_FMT_YUV420P10, "h264", AV_PIX_FMT_YUV420P},
        {AV_PIX_FMT_YUV420P10, "hevc", AV_PIX_FMT_YUV420P},
    };
    for (const Case &c : cases) {
        SourceFacts source = CameraSource();
        source.streams[0].pixel_format = c.source;
        EXPECT_EQ(Decide({"-vcodec", c.codec}, "/out/a.mkv", source).video->pixel_format,
                  c.expected)
            << c.codec << " from " << av_get_pix_fmt_name(c.source);
    }
}

TEST(OutputPicture, hevcKeepsToItsLevelsLumaSampleRate)
{
    SourceFacts uhd = CameraSource(3840, 2160);
    uhd.streams[0].field_order = AV_FIELD_PROGRESSIVE;
    uhd.streams[0].guessed_frame_rate = uhd.streams[0].average_frame_rate = {60, 1};
    // Level 5 holds 267 million luma samples a second: 32 frames of 3840x2160.
    EXPECT_TRUE(Is(
        Decide({"-vcodec", "hevc", "-level", "5.0"}, "/out/a.mp4", uhd).video->frame_rate, 30, 1));
    EXPECT_TRUE(Is(Decide({"-vcodec", "hevc", "-level", "50"}, "/out/a.mp4", uhd).video->frame_rate,
                   30, 1));
    EXPECT_TRUE(Is(
        Decide({"-vcodec", "hevc", "-level", "5.1"}, "/out/a.mp4", uhd).video->frame_rate, 60, 1));
    EXPECT_TRUE(
        Is(Decide({"-vcodec", "hevc", "-level", "4.1", "-s", "1920x1080"}, "/out/a.mp4", uhd)
               .video->frame_rate,
           60, 1));
    EXPECT_TRUE(Is(Decide({"-vcodec", "hevc"}, "/out/a.mp4", uhd).video->frame_rate, 60, 1));
}

TEST(OutputPicture, colourTagsNameAnSdrPictureAndInventNoHdr)
{
    const std::vector<std::string> tagged{
        "-vcodec",    "hevc",  "-pix_fmt",    "yuv420p10le", "-color_primaries", "bt709",
        "-color_trc", "bt709", "-colorspace", "bt709",       "-color_range",     "tv"};
    // An untagged SDR source: the profile's tags; no HDR from nowhere.
    const VideoTarget sdr = *Decide(tagged, "/out/a.mp4").video;
    EXPECT_EQ(sdr.dynamic_range, DynamicRange::Standard);
    EXPECT_EQ(sdr.color_primaries, AVCOL_PRI_BT709);
    EXPECT_EQ(sdr.color_transfer, AVCOL_TRC_BT709);
    EXPECT_EQ(sdr.color_space, AVCOL_SPC_BT709);
    EXPECT_EQ(sdr.color_range, AVCOL_RANGE_MPEG);
    // A source that states its own matrix (SD video) keeps it: its pixels are not converted.
    SourceFacts sd = CameraSource(720, 576);
    sd.streams[0].color_space = AVCOL_SPC_BT470BG;
    sd.streams[0].color_range = AVCOL_RANGE_JPEG;
    const VideoTarget kept_matrix = *Decide(tagged, "/out/a.mp4", sd).video;
    EXPECT_EQ(kept_matrix.color_space, AVCOL_SPC_BT470BG);
    EXPECT_EQ(kept_matrix.color_range, AVCOL_RANGE_JPEG);
    EXPECT_EQ(kept_matrix.color_primaries, AVCOL_PRI_BT709);
    // An HDR source keeps its own tags where the output keeps HDR, and is BT.709 where it is
    // mapped; the options change neither.
    SourceFacts hdr = CameraSource(3840, 2160);
    SourceStream &video = hdr.streams[0];
    video.field_order = AV_FIELD_PROGRESSIVE;
    video.pixel_format = AV_PIX_FMT_YUV420P10;
    video.color_primaries = AVCOL_PRI_BT2020;
    video.color_transfer = AVCOL_TRC_ARIB_STD_B67;
    video.color_space = AVCOL_SPC_BT2020_NCL;
    video.hdr.light = AVContentLightMetadata{1000, 400};
    const VideoTarget hlg = *Decide(tagged, "/out/a.mp4", hdr).video;
    EXPECT_EQ(hlg.dynamic_range, DynamicRange::Kept);
    EXPECT_EQ(hlg.color_transfer, AVCOL_TRC_ARIB_STD_B67);
    EXPECT_EQ(hlg.color_primaries, AVCOL_PRI_BT2020);
    std::vector<std::string> eight_bit = tagged;
    eight_bit[3] = "yuv420p";
    const VideoTarget mapped = *Decide(eight_bit, "/out/a.mp4", hdr).video;
    EXPECT_EQ(mapped.dynamic_range, DynamicRange::ToneMapped);
    EXPECT_EQ(mapped.color_transfer, AVCOL_TRC_BT709);
    // An archive keeps HDR too: FFV1 in 10 bits is not tone-mapped.
    const VideoTarget archive = *Decide({"-vcodec", "ffv1"}, "/out/a.mkv", hdr).video;
    EXPECT_EQ(archive.dynamic_range, DynamicRange::Kept);
    EXPECT_EQ(archive.pixel_format, AV_PIX_FMT_YUV420P10);
    EXPECT_EQ(archive.color_transfer, AVCOL_TRC_ARIB_STD_B67);
}

TEST(OutputPicture, frameRatesComeFromTheSourceOrTheEncodersList)
{
    EXPECT_TRUE(Is(Decide({}).video->frame_rate, 25, 1));
    EXPECT_TRUE(Is(Decide({"-r", "29.970"}).video->frame_rate, 30000, 1001));
    // A container's time base mistaken for a rate: the stream's average, else 25.
    SourceFacts vfr = CameraSource();
    vfr.streams[0].guessed_frame_rate = {1000, 1};
    vfr.streams[0].average_frame_rate = {24000, 1001};
    EXPECT_TRUE(Is(Decide({}, "/out/a.mp4", vfr).video->frame_rate, 24000, 1001));
    vfr.streams[0].average_frame_rate = {0, 1};
    EXPECT_TRUE(Is(Decide({}, "/out/a.mp4", vfr).video->frame_rate, 25, 1));
    // MPEG-1 takes a fixed list: a source rate off the list gets the nearest...
    SourceFacts odd = CameraSource();
    odd.streams[0].guessed_frame_rate = {26, 1};
    EXPECT_TRUE(Is(Decide({"-vcodec", "mpeg1video"}, "/out/a.mpg", odd).video->frame_rate, 25, 1));
    // ... an -r off the list is refused, naming the list.
    const std::string refusal = Refusal({"-vcodec", "mpeg1video", "-r", "20"}, "/out/a.mpg");
    EXPECT_NE(refusal.find("The mpeg1video encoder cannot write 20 frames per second (-r); it "
                           "takes 23.976, 24, 25, 29.97"),
              std::string::npos)
        << refusal;
}

TEST(OutputSound, ratesAndChannelsFollowTheSourceWithinWhatTheEncoderTakes)
{
    const AudioTarget stereo = Decide({}).audio.at(0);
    EXPECT_EQ(stereo.sample_rate, 48000);
    EXPECT_EQ(stereo.layout.nb_channels, 2);
    EXPECT_EQ(stereo.sample_format, AV_SAMPLE_FMT_FLTP);
    // 16-bit mono into AAC: the encoder's own sample format, the source's rate and channels.
    const AudioTarget mono = Decide({"-map", "0:2"}).audio.at(0);
    EXPECT_EQ(mono.sample_rate, 44100);
    EXPECT_EQ(mono.layout.nb_channels, 1);
    EXPECT_EQ(mono.sample_format, AV_SAMPLE_FMT_FLTP);
    // 5.1 into MP3 is mixed down to stereo; asking for six channels is refused.
    SourceFacts surround = CameraSource();
    surround.streams[1].channels = 6;
    EXPECT_EQ(Decide({}, "/out/a.mp3", surround).audio.at(0).layout.nb_channels, 2);
    EXPECT_EQ(Refusal({"-ac", "6"}, "/out/a.mp3", surround),
              "The libmp3lame encoder cannot write 6 channels (-ac).");
    // A rate AC-3 cannot use: the nearest when it is the source's, refused when asked for.
    SourceFacts hi_res = CameraSource();
    hi_res.streams[1].sample_rate = 96000;
    EXPECT_EQ(Decide({"-acodec", "ac3"}, "/out/a.mkv", hi_res).audio.at(0).sample_rate, 48000);
    EXPECT_EQ(Refusal({"-acodec", "ac3", "-ar", "22050"}, "/out/a.mkv"),
              "The ac3 encoder cannot use 22050 Hz (-ar); it takes 48000, 44100, 32000 Hz.");
}

TEST(OutputSound, losslessEncodersTakeTheSourcesOwnSamples)
{
    // Stream 1 is float stereo (decoded AAC), stream 2 16-bit mono (PCM, FLAC).
    struct Case
    {
        const char *map;
        const char *codec;
        const char *output;
        AVSampleFormat expected;
    };
    const std::vector<Case> cases = {
        {"0:2", "flac", "/out/a.flac", AV_SAMPLE_FMT_S16},
        {"0:2", "alac", "/out/a.m4a", AV_SAMPLE_FMT_S16P},
        {"0:1", "flac", "/out/a.flac", AV_SAMPLE_FMT_S32},
        {"0:1", "alac", "/out/a.m4a", AV_SAMPLE_FMT_S32P},
        {"0:1", "opus", "/out/a.opus", AV_SAMPLE_FMT_FLT},
        {"0:1", "pcm_s16le", "/out/a.wav", AV_SAMPLE_FMT_S16},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Decide({"-map", c.map, "-acodec", c.codec}, c.output).audio.at(0).sample_format,
                  c.expected)
            << c.codec << " from " << c.map;
}

TEST(EncoderSettings, withoutABitRateMpegStyleEncodersUseAFixedQuantiser)
{
    const Context plain = VideoSettingsFor({"-vcodec", "mpeg4", "-b", "0"}, "/out/a.avi");
    EXPECT_TRUE(plain->flags & AV_CODEC_FLAG_QSCALE);
    EXPECT_EQ(plain->global_quality, 3 * FF_QP2LAMBDA);
    EXPECT_EQ(plain->bit_rate, 0);
    const Context high = VideoSettingsFor({"-vcodec", "mpeg4", "-hq"}, "/out/a.avi");
    EXPECT_EQ(high->global_quality, 2 * FF_QP2LAMBDA);
    EXPECT_EQ(high->mb_decision, FF_MB_DECISION_RD);
    EXPECT_TRUE(high->flags & AV_CODEC_FLAG_4MV);
    const Context rated = VideoSettingsFor({"-vcodec", "mpeg4", "-b", "768"}, "/out/a.avi");
    EXPECT_FALSE(rated->flags & AV_CODEC_FLAG_QSCALE);
    EXPECT_EQ(rated->bit_rate, 768000);
    // libx264 keeps its own constant quality; a bit rate is a bit rate.
    EXPECT_EQ(VideoSettingsFor({"-vcodec", "h264"})->bit_rate, 0);
    EXPECT_FALSE(VideoSettingsFor({"-vcodec", "h264"})->flags & AV_CODEC_FLAG_QSCALE);
}

TEST(EncoderSettings, optionsReachTheEncoderOrAreRefusedNamingThem)
{
    const Context ctx
        = VideoSettingsFor({"-vcodec", "mpeg4", "-g", "18", "-bf", "1", "-qmin", "2", "-qmax", "20",
                            "-maxrate", "9000", "-bufsize", "1835", "-vtag", "DX50", "-level", "5"},
                           "/out/a.avi");
    EXPECT_EQ(ctx->gop_size, 18);
    EXPECT_EQ(ctx->max_b_frames, 1);
    EXPECT_EQ(ctx->qmin, 2);
    EXPECT_EQ(ctx->qmax, 20);
    EXPECT_EQ(ctx->rc_max_rate, 9'000'000);
    EXPECT_EQ(ctx->rc_buffer_size, 1'835'000);
    EXPECT_EQ(ctx->codec_tag, MKTAG('D', 'X', '5', '0'));
    EXPECT_EQ(ctx->level, 5);
    EXPECT_EQ(RefusalOf([] {
                  VideoSettingsFor({"-vcodec", "mpeg4", "-crf", "20"}, "/out/a.avi");
              }),
              "The mpeg4 encoder has no setting for -crf.");
    EXPECT_EQ(RefusalOf([] {
                  VideoSettingsFor({"-vcodec", "wmv2", "-coder", "1"}, "/out/a.wmv");
              }),
              "The wmv2 encoder has no setting for -coder.");
    EXPECT_EQ(RefusalOf([] {
                  VideoSettingsFor({"-vcodec", "mpeg4", "-level", "3.1"}, "/out/a.avi");
              }),
              "The mpeg4 encoder takes a whole number for -level, not \"3.1\".");
}

TEST(EncoderSettings, todaysEncodersGetTheirOwnSettings)
{
    auto text = [](const Context &ctx, const char *name) {
        uint8_t *value = nullptr;
        if (av_opt_get(ctx->priv_data, name, 0, &value) < 0)
            return std::string("(none)");
        std::string copy = reinterpret_cast<char *>(value);
        av_free(value);
        return copy;
    };
    // libx265: quiet, the level through its own settings, the profile's settings last.
    const Context hevc = VideoSettingsFor(
        {"-vcodec", "hevc", "-level", "5.0", "-x265-params", "aq-mode=3", "-vtag", "hvc1"});
    EXPECT_EQ(text(hevc, "x265-params"), "log-level=error:level-idc=5.0:aq-mode=3");
    EXPECT_EQ(hevc->codec_tag, MKTAG('h', 'v', 'c', '1'));
    const Context av1 = VideoSettingsFor(
        {"-vcodec", "av1", "-preset", "10", "-crf", "34", "-svtav1-params", "tune=0", "-hq"},
        "/out/a.webm");
    EXPECT_EQ(text(av1, "preset"), "10");
    EXPECT_EQ(text(av1, "crf"), "34");
    EXPECT_EQ(text(av1, "svtav1-params"), "tune=0");
    const Context vp9 = VideoSettingsFor({"-vcodec", "vp9", "-deadline", "good", "-cpu-used", "5",
                                          "-row-mt", "1", "-tile-columns", "2"},
                                         "/out/a.webm");
    EXPECT_EQ(text(vp9, "deadline"), "1000000"); // "good"
    EXPECT_EQ(text(vp9, "cpu-used"), "5");
    EXPECT_EQ(text(vp9, "row-mt"), "true");
    EXPECT_EQ(text(vp9, "tile-columns"), "2");
    const Context ffv1 = VideoSettingsFor(
        {"-vcodec", "ffv1", "-level", "3", "-slices", "24", "-slicecrc", "1", "-context", "1"},
        "/out/a.mkv");
    EXPECT_EQ(ffv1->level, 3);
    EXPECT_EQ(ffv1->slices, 24);
    EXPECT_EQ(text(ffv1, "slicecrc"), "true");
    EXPECT_EQ(text(ffv1, "context"), "1");
    EXPECT_EQ(RefusalOf([] {
                  VideoSettingsFor({"-vcodec", "h264", "-x265-params", "aq-mode=3"});
              }),
              "The libx264 encoder has no setting for -x265-params.");
    EXPECT_EQ(RefusalOf([] {
                  VideoSettingsFor({"-vcodec", "h264", "-cpu-used", "4"});
              }),
              "The libx264 encoder has no setting for -cpu-used.");
    // 32-bit samples go into FLAC as 24 bits, said up front.
    EXPECT_EQ(AudioSettingsFor({"-acodec", "flac"}, "/out/a.flac")->bits_per_raw_sample, 24);
}

TEST(EncoderSettings, soundGetsAPerChannelRateUnlessOneIsGiven)
{
    EXPECT_EQ(AudioSettingsFor({})->bit_rate, 128000); // AAC, 64 kbit/s per channel
    EXPECT_EQ(AudioSettingsFor({"-acodec", "mp2"}, "/out/a.mpg")->bit_rate, 192000);
    EXPECT_EQ(AudioSettingsFor({"-acodec", "ac3"}, "/out/a.mkv")->bit_rate, 192000);
    EXPECT_EQ(AudioSettingsFor({"-ab", "96"})->bit_rate, 96000);
    // Vorbis without a rate encodes at quality 4.
    const Context vorbis = AudioSettingsFor({}, "/out/a.ogg");
    EXPECT_TRUE(vorbis->flags & AV_CODEC_FLAG_QSCALE);
    EXPECT_EQ(vorbis->global_quality, 4 * FF_QP2LAMBDA);
    EXPECT_EQ(AudioSettingsFor({"-atag", "mp4a"})->codec_tag, MKTAG('m', 'p', '4', 'a'));
}
