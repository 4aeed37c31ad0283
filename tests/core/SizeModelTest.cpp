// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/SizeModel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

using namespace quillet;
using namespace quillet::sizing;

namespace {

/// A probed task whose streams say what the engine's probe says of them.
std::unique_ptr<Task> ProbedTask(const std::vector<std::string> &descriptions, double seconds)
{
    auto task = std::make_unique<Task>();
    task->source_path = "/in/clip.mkv";
    task->destination_path = "/out/clip.mp4";
    const int count = static_cast<int>(descriptions.size());
    StreamInfo **slot = task->streams.Receive();
    *slot = static_cast<StreamInfo *>(std::calloc(descriptions.size(), sizeof(StreamInfo)));
    task->context.stream_count = count;
    task->context.video_stream_index = -1;
    task->context.duration_us = static_cast<int64_t>(seconds * 1e6);
    for (int i = 0; i < count; ++i) {
        StreamInfo &s = (*slot)[i];
        const bool video = descriptions[i].rfind("Video:", 0) == 0;
        s.kind = video ? DOLMAR_KIND_VIDEO : DOLMAR_KIND_AUDIO;
        std::snprintf(s.description, sizeof s.description, "%s", descriptions[i].c_str());
        if (video && task->context.video_stream_index < 0)
            task->context.video_stream_index = i;
        if (!video) {
            const int ordinal = task->context.audio_stream_count++;
            task->audio_tracks.push_back({ordinal, ordinal == 0 ? 1 : 0, {}});
        }
    }
    task->source_width = 640;
    task->source_height = 360;
    task->settings.cAudioCodec = "auto";
    task->settings.cVideoCodec = "auto";
    task->settings.TargetType = "mp4";
    task->settings.bVideoCustomBitRate = 1;
    task->settings.nVideoCustomBitRate = 1000;
    task->settings.bAudioCustomBitRate = 1;
    task->settings.nAudioCustomBitRate = 128;
    return task;
}

const std::vector<std::string> kFilm = {"Video: h264 (High), 640x360, 25 fps, 900 kb/s",
                                        "Audio: aac (LC), 48000 Hz, stereo, 160 kb/s [eng]",
                                        "Audio: ac3, 48000 Hz, 5.1(side), 384 kb/s [fra]"};

struct ShapeCase
{
    const char *name;
    std::function<void(Task &)> change;
    RateKind video;
    double video_kbps; ///< checked when video is Fixed
    std::vector<double> audio_kbps;
    double frame_rate; ///< checked when above 0
};

} // namespace

TEST(OutputShape, readsWhatTheRunWillAskOfTheEngine)
{
    const ShapeCase cases[] = {
        {"fixed rates", [](Task &) {}, RateKind::Fixed, 1000, {128}, 25},
        {"later -b wins over Para's",
         [](Task &t) { t.settings.Para = "-b 3000"; },
         RateKind::Fixed,
         1000,
         {128},
         0},
        {"-crf",
         [](Task &t) { t.settings.Para = "-crf 20 -fs"; },
         RateKind::QualityBased,
         0,
         {128},
         0},
        {"crf through x264-params",
         [](Task &t) { t.settings.Para = "-x264-params crf=18:vbv-init=0.9"; },
         RateKind::QualityBased,
         0,
         {128},
         0},
        {"-b 0",
         [](Task &t) { t.settings.bVideoCustomBitRate = 0; },
         RateKind::QualityBased,
         0,
         {128},
         0},
        {"-r 29.970",
         [](Task &t) {
             t.settings.bVideoCustomFrameRate = 1;
             t.settings.nVideoCustomFrameRate = 29.97f;
         },
         RateKind::Fixed,
         1000,
         {128},
         30000.0 / 1001.0},
        {"sound disabled",
         [](Task &t) { t.settings.bDisableAudio = 1; },
         RateKind::Fixed,
         1000,
         {},
         0},
        {"no track selected: only the picture is mapped",
         [](Task &t) { t.audio_tracks[0].selected = 0; },
         RateKind::Fixed,
         1000,
         {},
         0},
        {"an extra track is AC-3 at 448",
         [](Task &t) { t.audio_tracks[1].selected = 1; },
         RateKind::Fixed,
         1000,
         {128, 448},
         0},
        {"an audio format drops the picture",
         [](Task &t) { t.settings.TargetType = "m4a"; },
         RateKind::Absent,
         0,
         {128},
         0},
        {"the codec's own rate: 64 a channel, stereo from the probe",
         [](Task &t) { t.settings.bAudioCustomBitRate = 0; },
         RateKind::Fixed,
         1000,
         {128},
         0},
        {"5.1 into MP3 is mixed to stereo",
         [](Task &t) {
             t.settings.bAudioCustomBitRate = 0;
             t.settings.TargetType = "mp3";
             t.audio_tracks[0].selected = 0;
             t.audio_tracks[1].selected = 1;
         },
         RateKind::Absent,
         0,
         {128},
         0},
        {"5.1 into a DVD's AC-3 at its cap",
         [](Task &t) {
             t.settings.bAudioCustomBitRate = 0;
             t.settings.TargetType = "vob";
             t.audio_tracks[0].selected = 0;
             t.audio_tracks[1].selected = 1;
         },
         RateKind::Fixed,
         1000,
         {448},
         0},
        {"PCM from its sample rate and channels",
         [](Task &t) {
             t.settings.TargetType = "wav";
             t.settings.bAudioCustomSampleRate = 1;
             t.settings.nAudioCustomSampleRate = 22050;
             t.settings.nAudioChannel = 1;
         },
         RateKind::Absent,
         0,
         {352.8},
         0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto task = ProbedTask(kFilm, 12);
        c.change(*task);
        const OutputShape shape = ShapeOf(*task);
        EXPECT_EQ(shape.video.kind, c.video);
        if (c.video == RateKind::Fixed) {
            EXPECT_DOUBLE_EQ(shape.video.kbps, c.video_kbps);
        }
        if (c.frame_rate > 0) {
            EXPECT_NEAR(shape.video.packets_per_s, c.frame_rate, 1e-6);
        }
        ASSERT_EQ(shape.audio.size(), c.audio_kbps.size());
        for (std::size_t i = 0; i < c.audio_kbps.size(); ++i)
            EXPECT_NEAR(shape.audio[i].kbps, c.audio_kbps[i], 1e-9);
    }
}

TEST(OutputShape, lastsWhatTheTrimPointsLeaveOfTheFile)
{
    struct Case
    {
        double start_s; ///< below 0: no trim point
        double end_s;
        double expected_s;
    };
    const Case cases[] = {
        {-1, -1, 12}, {2, -1, 10}, {-1, 5, 5}, {2, 5, 3}, {2, 40, 10}, {20, -1, 0},
    };
    for (const auto &c : cases) {
        auto task = ProbedTask(kFilm, 12);
        task->context.start_time_us = 1000000; // the file's clock starts at 1 s
        if (c.start_s >= 0)
            task->trim_start = {static_cast<int64_t>((1 + c.start_s) * 1e6), 0};
        if (c.end_s >= 0)
            task->trim_end = {static_cast<int64_t>((1 + c.end_s) * 1e6), 0};
        EXPECT_NEAR(ShapeOf(*task).duration_s, c.expected_s, 1e-9)
            << c.start_s << " to " << c.end_s;
    }
}

TEST(OutputShape, mergedRunLastsEverySourceWholeWithOneSoundStream)
{
    TaskList tasks;
    for (const double seconds : {12.0, 30.0, 8.0}) {
        auto task = ProbedTask(kFilm, seconds);
        task->trim_end = {2000000, 0}; // merged runs write no trims
        tasks.Add(std::move(task));
    }
    ProfileRecord current = tasks.Get(0)->settings;
    current.TargetType = "avi";
    const OutputShape shape = MergedShapeOf(tasks, current);
    EXPECT_DOUBLE_EQ(shape.duration_s, 50);
    EXPECT_EQ(shape.container, Container::Avi);
    EXPECT_EQ(shape.video_codec, "mpeg4");
    EXPECT_EQ(shape.audio.size(), 1u);
}

TEST(OutputShape, takesTheDevicesCeilingFromTheProfile)
{
    struct Case
    {
        const char *profile_path;
        const char *para;
        double ceiling_kbps;
    };
    const Case cases[] = {
        {"/ini/ipodh264.ini", "-vprofile baseline -level 13", 768},
        {"/ini/ipadh264.ini", "-vprofile high -level 41", 62500},
        {"/ini/ntscdvd.ini", "-maxrate 9000 -f dvd -fs", 9000},
        {"/ini/paldvd.ini", "-f dvd -fs", 10080 * 0.96 - 448},
        {"/ini/blu-ray_h264.ini", "-vprofile high -level 41 -f mpegts -fs", 40000},
        {"/ini/mine.ini", "-g 250", 0},
    };
    for (const auto &c : cases) {
        auto task = ProbedTask(kFilm, 12);
        task->settings.profile_path = c.profile_path;
        task->settings.Para = c.para;
        if (std::string(c.para).find("dvd") != std::string::npos) {
            task->settings.TargetType = "vob";
            task->settings.nAudioCustomBitRate = 448;
        }
        EXPECT_DOUBLE_EQ(ShapeOf(*task).device_ceiling_kbps, c.ceiling_kbps) << c.profile_path;
    }
}

TEST(ContainerOverhead, aForcedFormatWinsOverTheExtension)
{
    EXPECT_EQ(ContainerFor("m2ts", "mpegts"), Container::MpegTs);
    EXPECT_EQ(ContainerFor("mpg", "DVD"), Container::MpegPs);
    EXPECT_EQ(ContainerFor("MP4"), Container::Mp4);
    EXPECT_EQ(ContainerFor("avi", "nonsense"), Container::Avi);
    EXPECT_EQ(ContainerFor("xyz"), Container::Other);
}

TEST(SizeModel, videoRateForASizeIsTheInverseOfTheEstimate)
{
    for (const Container container : {Container::Mp4, Container::MpegTs, Container::MpegPs,
                                      Container::Avi, Container::Asf, Container::Matroska}) {
        OutputShape shape;
        shape.container = container;
        shape.duration_s = 93.5;
        shape.video = {RateKind::Fixed, 1234, 25};
        shape.audio = {{RateKind::Fixed, 192, 31.25}, {RateKind::Copied, 640, 31.25}};
        const double bytes = EstimateSize(shape).Total();
        EXPECT_NEAR(VideoKbpsForSize(shape, bytes), 1234, 1e-6) << static_cast<int>(container);
    }
}

TEST(SizeModel, countsEachPartInBytesAndSaysWhatItOnlyGuesses)
{
    OutputShape shape;
    shape.container = Container::Wav; // 78 bytes of header, nothing else
    shape.duration_s = 8;
    shape.audio = {{RateKind::Fixed, 1411.2, 43}};
    SizeBreakdown size = EstimateSize(shape);
    EXPECT_DOUBLE_EQ(size.audio_bytes, 1411200.0);
    EXPECT_DOUBLE_EQ(size.Total(), 1411200.0 + 78);
    EXPECT_TRUE(size.exact);

    shape.audio.push_back({RateKind::Absent, 500, 43});
    EXPECT_DOUBLE_EQ(EstimateSize(shape).audio_bytes, 1411200.0);
    shape.audio.push_back({RateKind::QualityBased, 128, 43});
    EXPECT_FALSE(EstimateSize(shape).exact);
}

TEST(SizeModel, writesSizesInTheSplitListsUnit)
{
    EXPECT_EQ(FormatSplitSize(1000 * 1024.0), "1.0 MB");
    EXPECT_EQ(FormatSplitSize(4200000 * 1024.0), "4.2 GB");
    EXPECT_EQ(FormatSplitSize(20.0 * 1024000 * 0.95), "19.0 MB");
}
