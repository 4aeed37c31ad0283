// SPDX-License-Identifier: GPL-3.0-or-later
// Conversions through ffmain on clips made at test time, checked with ffprobe and decoded frames.

#include "EngineHarness.h"

#include "Command.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <thread>

using namespace quillet::test;
using dolmar_test::MaxVolumeDb;
using dolmar_test::MeanDifference;
using dolmar_test::RunEngine;
using dolmar_test::StreamField;

namespace {

class Conversion : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<TempDir>();
        ClipRecipe recipe;
        recipe.seconds = 2.0;
        s_clip = MakeClip(s_dir->path() / "clip.mp4", recipe).string();
        ClipRecipe two;
        two.seconds = 1.0;
        two.audio_streams = 2;
        two.video_codec = "libx264";
        s_two_tracks = MakeClip(s_dir->path() / "two tracks.mkv", two).string();
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    std::string Out(const std::string &name) const { return m_dir.file(name); }

    static std::unique_ptr<TempDir> s_dir;
    static std::string s_clip; ///< 2 s, 320x240, 25 fps, mpeg4 + mono AAC 44.1 kHz
    static std::string s_two_tracks; ///< 1 s, H.264 + two AAC tracks
    TempDir m_dir;
};

std::unique_ptr<TempDir> Conversion::s_dir;
std::string Conversion::s_clip;
std::string Conversion::s_two_tracks;

TEST_F(Conversion, eachFormatGetsItsDefaultEncodersWhenNoneIsNamed)
{
    struct Case
    {
        std::string file;
        std::string video; ///< "" when the format keeps no picture
        std::string audio;
    };
    for (const Case &c :
         {Case{"a.mp4", "h264", "aac"}, Case{"a.avi", "mpeg4", "mp3"}, Case{"a.mp3", "", "mp3"},
          Case{"a.wav", "", "pcm_s16le"}, Case{"a.mpg", "mpeg2video", "mp2"},
          Case{"a.mkv", "h264", "aac"}, Case{"a.wmv", "wmv2", "wmav2"}}) {
        const auto run
            = RunEngine({"-i", s_clip, "-vcodec", "Auto", "-acodec", "", "-b", "0", Out(c.file)});
        ASSERT_EQ(run.result, DOLMAR_OK) << c.file << ": " << run.AllMessages();
        const auto probed = Ffprobe(Out(c.file));
        if (c.video.empty()) {
            EXPECT_EQ(probed.count("video"), 0) << c.file;
        } else {
            ASSERT_NE(probed.first("video"), nullptr) << c.file;
            EXPECT_EQ(probed.first("video")->codec, c.video) << c.file;
        }
        ASSERT_NE(probed.first("audio"), nullptr) << c.file;
        EXPECT_EQ(probed.first("audio")->codec, c.audio) << c.file;
        EXPECT_NEAR(probed.duration, 2.0, 0.1) << c.file;
    }
}

TEST_F(Conversion, legacyCodecNamesReachThisSystemsEncoders)
{
    const auto run
        = RunEngine({"-i", s_clip, "-vcodec", "xvid", "-vtag", "DX50", "-acodec", "MP3", "-ab",
                     "96.000000", "-ar", "22050", "-ac", "2", "-b", "500", Out("divx.avi")});
    ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
    EXPECT_EQ(StreamField(Out("divx.avi"), "v:0", "codec_name"), "mpeg4");
    EXPECT_EQ(StreamField(Out("divx.avi"), "v:0", "codec_tag_string"), "DX50");
    EXPECT_EQ(StreamField(Out("divx.avi"), "a:0", "codec_name"), "mp3");
    EXPECT_EQ(StreamField(Out("divx.avi"), "a:0", "sample_rate"), "22050");
    EXPECT_EQ(StreamField(Out("divx.avi"), "a:0", "channels"), "2");
    EXPECT_EQ(StreamField(Out("divx.avi"), "a:0", "bit_rate"), "96000");
}

TEST_F(Conversion, aCodecWithoutAnEncoderHereIsRefusedByName)
{
    const auto run = RunEngine({"-i", s_clip, "-acodec", "amr_nb", Out("phone.3gp")});
    EXPECT_EQ(run.result, DOLMAR_BAD_ARGS);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_NE(run.messages[0].find("\"amr_nb\""), std::string::npos) << run.messages[0];
    EXPECT_NE(run.messages[0].find("no encoder"), std::string::npos) << run.messages[0];
    EXPECT_FALSE(std::filesystem::exists(Out("phone.3gp")));

    const auto unknown = RunEngine({"-i", s_clip, "-vcodec", "h266", Out("x.mp4")});
    EXPECT_EQ(unknown.result, DOLMAR_BAD_ARGS);
    EXPECT_NE(unknown.AllMessages().find("\"h266\""), std::string::npos);

    const auto misfit = RunEngine({"-i", s_clip, "-vcodec", "wmv2", Out("x.mp4")});
    EXPECT_EQ(misfit.result, DOLMAR_BAD_ARGS);
    EXPECT_NE(misfit.AllMessages().find("cannot hold"), std::string::npos) << misfit.AllMessages();
}

TEST_F(Conversion, cropScaleAndPadMakeTheFinalFrameWithThePadColour)
{
    // Crop 320x240 to 280x200, scale to 160x120, then bands of 8 left/right and 20 top/bottom.
    const auto run = RunEngine({"-i",          s_clip,    "-croptop",       "20",
                                "-cropbottom", "20",      "-cropleft",      "20",
                                "-cropright",  "20",      "-padtop",        "20",
                                "-padbottom",  "20",      "-padleft",       "8",
                                "-padright",   "8",       "-padcolor",      "0x00ff00",
                                "-s",          "160x120", "-aspect",        "16:9",
                                "-b",          "800",     Out("framed.mp4")});
    ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
    const auto probed = Ffprobe(Out("framed.mp4"));
    const auto video = probed.first("video");
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->width, 176);
    EXPECT_EQ(video->height, 160);
    EXPECT_EQ(video->display_aspect, "16:9");

    const RgbFrame frame = GrabFrame(Out("framed.mp4"), 1.0);
    ASSERT_FALSE(frame.empty());
    auto is_green = [](uint32_t rgb) {
        return ((rgb >> 8) & 0xFF) > 200 && (rgb >> 16) < 60 && (rgb & 0xFF) < 60;
    };
    EXPECT_TRUE(is_green(frame.at(2, 2))); // corner: both bands
    EXPECT_TRUE(is_green(frame.at(88, 10))); // top band
    EXPECT_TRUE(is_green(frame.at(3, 80))); // left band
    EXPECT_TRUE(is_green(frame.at(88, 150))); // bottom band
    // Inside, the test picture's colour bars.
    int green_inside = 0;
    for (int x = 12; x < 164; x += 8)
        green_inside += is_green(frame.at(x, 80));
    EXPECT_LT(green_inside, 6);
}

TEST_F(Conversion, namedAndOddSizesGiveEncodableFrames)
{
    const auto named = RunEngine({"-i", s_clip, "-s", "qcif", Out("qcif.mp4")});
    ASSERT_EQ(named.result, DOLMAR_OK) << named.AllMessages();
    EXPECT_EQ(Ffprobe(Out("qcif.mp4")).first("video")->width, 176);
    EXPECT_EQ(Ffprobe(Out("qcif.mp4")).first("video")->height, 144);

    // 4:2:0 needs even sizes: the odd request is rounded down instead of failing the encoder.
    const auto odd = RunEngine({"-i", s_clip, "-s", "161x121", "-padtop", "3", Out("odd.mp4")});
    ASSERT_EQ(odd.result, DOLMAR_OK) << odd.AllMessages();
    EXPECT_EQ(Ffprobe(Out("odd.mp4")).first("video")->width, 160);
    EXPECT_EQ(Ffprobe(Out("odd.mp4")).first("video")->height, 122);

    // A source of an odd size has no whole chroma grid, which not every scaler takes.
    const std::string source = Out("odd source.mkv");
    ASSERT_EQ(
        RunCommand({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=s=321x241:r=25:d=0.4",
                    "-vf", "format=yuv420p", "-c:v", "ffv1", source})
            .exit_code,
        0);
    const auto scaled = RunEngine({"-i", source, "-s", "160x120", Out("from odd.mp4")});
    ASSERT_EQ(scaled.result, DOLMAR_OK) << scaled.AllMessages();
    EXPECT_EQ(Ffprobe(Out("from odd.mp4")).first("video")->width, 160);
}

TEST_F(Conversion, cropThatLeavesNothingIsRefused)
{
    const auto run
        = RunEngine({"-i", s_clip, "-cropleft", "200", "-cropright", "120", Out("none.mp4")});
    EXPECT_EQ(run.result, DOLMAR_BAD_ARGS);
    EXPECT_NE(run.AllMessages().find("leaves nothing"), std::string::npos) << run.AllMessages();
    EXPECT_FALSE(std::filesystem::exists(Out("none.mp4")));
}

TEST_F(Conversion, startAndLengthCutTheSourceAccurately)
{
    const auto run
        = RunEngine({"-ss", "00:00:00.5", "-t", "00:00:01.0", "-i", s_clip, Out("cut.mp4")});
    ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
    const auto probed = Ffprobe(Out("cut.mp4"));
    EXPECT_NEAR(probed.duration, 1.0, 0.041);
    EXPECT_NEAR(std::atof(StreamField(Out("cut.mp4"), "v:0", "duration").c_str()), 1.0, 0.041);
    EXPECT_NEAR(std::atof(StreamField(Out("cut.mp4"), "a:0", "duration").c_str()), 1.0, 0.05);
    EXPECT_EQ(StreamField(Out("cut.mp4"), "v:0", "start_time"), "0.000000");

    // The first picture is the source's picture at 0.5 s (testsrc2 prints the time in it).
    const RgbFrame first = GrabFrame(Out("cut.mp4"), 0.0);
    const RgbFrame at_half = GrabFrame(s_clip, 0.5);
    const RgbFrame at_start = GrabFrame(s_clip, 0.0);
    const double same = MeanDifference(first, at_half, 0, 0, 320, 240);
    EXPECT_LT(same, 8.0);
    EXPECT_LT(same * 2, MeanDifference(first, at_start, 0, 0, 320, 240));
}

TEST_F(Conversion, frameRateSampleRateChannelsAndVolumeAreApplied)
{
    const auto run = RunEngine(
        {"-i", s_clip, "-r", "29.970", "-ar", "48000", "-ac", "2", "-vol", "0", Out("rates.mp4")});
    ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
    EXPECT_EQ(StreamField(Out("rates.mp4"), "v:0", "r_frame_rate"), "30000/1001");
    EXPECT_EQ(StreamField(Out("rates.mp4"), "a:0", "sample_rate"), "48000");
    EXPECT_EQ(StreamField(Out("rates.mp4"), "a:0", "channels"), "2");
    EXPECT_LT(MaxVolumeDb(Out("rates.mp4")), -80.0);

    const auto louder = RunEngine({"-i", s_clip, "-vn", "-vol", "512", Out("louder.wav")});
    ASSERT_EQ(louder.result, DOLMAR_OK) << louder.AllMessages();
    // The sine source peaks at -18 dBFS; twice the amplitude is +6 dB.
    EXPECT_NEAR(MaxVolumeDb(Out("louder.wav")) - MaxVolumeDb(s_clip), 6.0, 0.6);
}

TEST_F(Conversion, dropVideoOrAudio)
{
    // The platform route flag changes nothing here: libavformat reads every file.
    EnableDshow(1);
    const int muted = RunEngine({"-i", s_clip, "-an", Out("mute.mp4")}).result;
    EnableDshow(0);
    ASSERT_EQ(muted, DOLMAR_OK);
    EXPECT_EQ(Ffprobe(Out("mute.mp4")).count("audio"), 0);
    EXPECT_EQ(Ffprobe(Out("mute.mp4")).count("video"), 1);
    ASSERT_EQ(RunEngine({"-i", s_clip, "-vn", Out("sound.mp4")}).result, DOLMAR_OK);
    EXPECT_EQ(Ffprobe(Out("sound.mp4")).count("video"), 0);
    EXPECT_EQ(Ffprobe(Out("sound.mp4")).count("audio"), 1);
}

TEST_F(Conversion, extraAudioTracksFollowTheMapAndTheirOwnOptions)
{
    const auto run = RunEngine(
        {"-i",  s_two_tracks,      "-b",      "0",   "-map", "0:0",   "-map", "0:1", "-map",
         "0:2", Out("tracks.mp4"), "-acodec", "ac3", "-ar",  "48000", "-ab",  "448", "-ac",
         "2",   "-newaudio"});
    ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
    const auto probed = Ffprobe(Out("tracks.mp4"));
    ASSERT_EQ(probed.streams.size(), 3u);
    EXPECT_EQ(probed.streams[0].codec, "h264");
    EXPECT_EQ(probed.streams[1].codec, "aac");
    EXPECT_EQ(probed.streams[1].sample_rate, 44100);
    EXPECT_EQ(probed.streams[2].codec, "ac3");
    EXPECT_EQ(probed.streams[2].sample_rate, 48000);
    EXPECT_EQ(probed.streams[2].channels, 2);
    EXPECT_EQ(StreamField(Out("tracks.mp4"), "a:1", "bit_rate"), "448000");
    // The second track is the source's second tone (660 Hz), not a copy of the first.
    EXPECT_NEAR(MaxVolumeDb(Out("tracks.mp4")), MaxVolumeDb(s_two_tracks), 1.0);

    const auto missing
        = RunEngine({"-i", s_two_tracks, "-map", "0:0", "-map", "0:7", Out("missing.mp4")});
    EXPECT_EQ(missing.result, DOLMAR_BAD_ARGS);
    EXPECT_NE(missing.AllMessages().find("0:7"), std::string::npos) << missing.AllMessages();

    const auto surplus = RunEngine({"-i", s_two_tracks, "-map", "0:0", "-map", "0:1",
                                    Out("surplus.mp4"), "-acodec", "ac3", "-newaudio"});
    EXPECT_EQ(surplus.result, DOLMAR_BAD_ARGS);
}

TEST_F(Conversion, sizeLimitEndsTheFileProperlyBelowTheLimit)
{
    const auto full = RunEngine({"-i", s_clip, "-b", "3000", Out("full.mp4")});
    ASSERT_EQ(full.result, DOLMAR_OK);
    const auto limit_kib = std::filesystem::file_size(Out("full.mp4")) / 1024 / 2;
    const auto run = RunEngine(
        {"-i", s_clip, "-b", "3000", "-fs", std::to_string(limit_kib), Out("limited.mp4")});
    ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
    const auto size = std::filesystem::file_size(Out("limited.mp4"));
    EXPECT_LE(size, limit_kib * 1024);
    EXPECT_GT(size, limit_kib * 1024 / 2);
    const auto probed = Ffprobe(Out("limited.mp4"));
    ASSERT_TRUE(probed.ok); // the trailer was written: the file plays
    EXPECT_LT(probed.duration, 1.8);
    // Both streams were cut at about the same moment.
    const double video_s = std::atof(StreamField(Out("limited.mp4"), "v:0", "duration").c_str());
    const double audio_s = std::atof(StreamField(Out("limited.mp4"), "a:0", "duration").c_str());
    EXPECT_NEAR(video_s, audio_s, 0.2);
}

TEST_F(Conversion, callbackStopEndsPromptlyWithAPlayableFile)
{
    ClipRecipe recipe;
    recipe.seconds = 12.0;
    const std::string longer = MakeClip(m_dir.path() / "longer.mp4", recipe).string();
    const auto run = RunEngine({"-i", longer, Out("stopped.mp4")}, {.stop_at_position_s = 1.0});
    EXPECT_EQ(run.result, DOLMAR_STOPPED) << run.AllMessages();
    EXPECT_TRUE(run.messages.empty()) << run.AllMessages();
    const auto probed = Ffprobe(Out("stopped.mp4"));
    ASSERT_TRUE(probed.ok);
    EXPECT_GT(probed.duration, 0.0);
    EXPECT_LT(probed.duration, 6.0);
}

TEST_F(Conversion, progressReportsTheOutputPositionOnTheCallersThread)
{
    // How often the reports come is a matter of time, which a loaded machine bends; the
    // benchmark prints it (bench_engine). Here: they come, they follow the output, and every one
    // on the thread that called.
    ClipRecipe recipe;
    recipe.seconds = 6.0;
    const std::string longer = MakeClip(m_dir.path() / "six.mp4", recipe).string();
    const int stray_before = dolmar_test::g_stray_callbacks.load();
    const auto run = RunEngine({"-i", longer, "-hq", Out("progress.mp4")});
    ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
    EXPECT_GE(run.progress_reports, 3);
    EXPECT_NEAR(run.last_position_s, 6.0, 0.5);
    EXPECT_EQ(dolmar_test::g_stray_callbacks.load(), stray_before);
}

TEST_F(Conversion, runsOnTwoThreadsAtOnceKeepTheirOutputsAndReportsApart)
{
    ClipRecipe recipe;
    recipe.seconds = 3.0;
    const std::string other = MakeClip(m_dir.path() / "three.mkv", recipe).string();
    const int stray_before = dolmar_test::g_stray_callbacks.load();
    dolmar_test::EngineRun small, silent;
    std::thread first([&] {
        EnableDshow(1); // this thread's next run only
        small = RunEngine({"-i", s_clip, "-s", "160x120", Out("small.mp4")});
        EnableDshow(0);
    });
    std::thread second([&] { silent = RunEngine({"-i", other, "-an", Out("silent.mp4")}); });
    first.join();
    second.join();

    ASSERT_EQ(small.result, DOLMAR_OK) << small.AllMessages();
    ASSERT_EQ(silent.result, DOLMAR_OK) << silent.AllMessages();
    // Each caller heard of its own run, to its own end.
    EXPECT_NEAR(small.last_position_s, 2.0, 0.2);
    EXPECT_NEAR(silent.last_position_s, 3.0, 0.2);
    EXPECT_EQ(dolmar_test::g_stray_callbacks.load(), stray_before);
    const auto small_probe = Ffprobe(Out("small.mp4"));
    ASSERT_NE(small_probe.first("video"), nullptr);
    EXPECT_EQ(small_probe.first("video")->width, 160);
    EXPECT_EQ(small_probe.count("audio"), 1);
    EXPECT_NEAR(small_probe.duration, 2.0, 0.1);
    const auto silent_probe = Ffprobe(Out("silent.mp4"));
    ASSERT_NE(silent_probe.first("video"), nullptr);
    EXPECT_EQ(silent_probe.first("video")->width, 320);
    EXPECT_EQ(silent_probe.count("audio"), 0);
    EXPECT_NEAR(silent_probe.duration, 3.0, 0.1);
}

TEST_F(Conversion, outputOverTheInputIsRefused)
{
    const std::string copy = m_dir.file("same.mp4");
    std::filesystem::copy_file(s_clip, copy);
    const auto before = std::filesystem::file_size(copy);
    const auto run = RunEngine({"-i", copy, copy});
    EXPECT_EQ(run.result, DOLMAR_BAD_ARGS);
    EXPECT_EQ(std::filesystem::file_size(copy), before);
}

TEST_F(Conversion, aFullDiskFailsTheRunInsteadOfPassingAsSuccess)
{
    // /dev/full takes the file open and then refuses every write with "No space left".
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    const auto run = RunEngine({"-i", s_clip, "-f", "matroska", "/dev/full"});
    EXPECT_EQ(run.result, DOLMAR_FAILED);
    ASSERT_EQ(run.messages.size(), 1u) << run.AllMessages();
    EXPECT_NE(run.messages[0].find("/dev/full"), std::string::npos) << run.messages[0];
    EXPECT_NE(run.messages[0].find("space"), std::string::npos) << run.messages[0];
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

TEST_F(Conversion, profileStyleEncoderOptionsAreUnderstood)
{
    // What an iPod-style H.264 profile writes.
    const auto ipod = RunEngine(
        {"-i",         s_clip,     "-vprofile", "baseline",     "-level", "3.0", "-refs",
         "1",          "-bf",      "0",         "-coder",       "0",      "-g",  "30",
         "-maxrate",   "768",      "-bufsize",  "2000",         "-b",     "600", "-movflags",
         "+faststart", "-threads", "0",         Out("ipod.m4v")});
    ASSERT_EQ(ipod.result, DOLMAR_OK) << ipod.AllMessages();
    EXPECT_EQ(StreamField(Out("ipod.m4v"), "v:0", "profile"), "Constrained Baseline");
    EXPECT_EQ(StreamField(Out("ipod.m4v"), "v:0", "level"), "30");

    // A DVD-style MPEG-2 programme stream.
    const auto dvd = RunEngine(
        {"-i",          s_clip, "-f",       "dvd", "-vcodec",     "mpeg2video", "-s",
         "ntsc",        "-r",   "29.970",   "-g",  "18",          "-b",         "6000",
         "-maxrate",    "9000", "-minrate", "0",   "-bufsize",    "1835",       "-acodec",
         "ac3",         "-ar",  "48000",    "-ab", "448",         "-muxrate",   "10080",
         "-packetsize", "2048", "-aspect",  "4:3", Out("dvd.vob")});
    ASSERT_EQ(dvd.result, DOLMAR_OK) << dvd.AllMessages();
    EXPECT_EQ(StreamField(Out("dvd.vob"), "v:0", "codec_name"), "mpeg2video");
    EXPECT_EQ(StreamField(Out("dvd.vob"), "v:0", "width"), "720");
    EXPECT_EQ(StreamField(Out("dvd.vob"), "a:0", "codec_name"), "ac3");

    // A setting the chosen encoder does not have is refused, not dropped.
    const auto misplaced
        = RunEngine({"-i", s_clip, "-vcodec", "mpeg4", "-crf", "20", Out("crf.avi")});
    EXPECT_EQ(misplaced.result, DOLMAR_BAD_ARGS);
    EXPECT_NE(misplaced.AllMessages().find("-crf"), std::string::npos);
}

TEST_F(Conversion, pathsLongerThan255BytesWork)
{
    // Each name within the file system's 255 bytes, the whole path well beyond: input, subtitle,
    // output and the probe's record (which keeps what fits of the name).
    const auto folder = m_dir.path() / std::string(120, 'a') / std::string(120, 'b');
    std::filesystem::create_directories(folder);
    const auto input = folder / "a clip with a name that goes on.mp4";
    std::filesystem::copy_file(s_clip, input);
    const std::string subtitle
        = WriteFile(folder / "its subtitles.srt", "1\n00:00:00,500 --> 00:00:01,500\nTEXT\n\n")
              .string();
    const std::string out = (folder / "the converted clip.mp4").string();
    ASSERT_GT(out.size(), 255u);
    const auto run
        = RunEngine({"-i", input.string(), "-vhook", "SubTitleHook -f " + subtitle, out});
    ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
    EXPECT_NEAR(Ffprobe(out).duration, 2.0, 0.1);
    dolmar_test::ProbeResult probe(out);
    EXPECT_EQ(probe.result, 0);
    EXPECT_EQ(probe.Count(DOLMAR_KIND_VIDEO), 1);
}

} // namespace

// SVT-AV1 waits at its end of stream and in its close for a first picture: a run that ends
// before one (a start past the source's end, a stop at once) must still end. Ending at all is
// the point here; whether a start past the end is a failure is the caller's to say.
TEST_F(Conversion, anAv1RunThatEndsBeforeItsFirstPictureStillEnds)
{
    RunEngine({"-ss", "00:00:05", "-i", s_clip, "-vcodec", "av1", Out("late.mkv")});
    const auto stopped = RunEngine({"-i", s_clip, "-vcodec", "av1", Out("stopped.mkv")},
                                   {.stop_at_position_s = 0});
    EXPECT_NE(stopped.result, 0);
}
