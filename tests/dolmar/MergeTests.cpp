// SPDX-License-Identifier: GPL-3.0-or-later
// Merged runs: -ivs/-ias segments joined into one output with one picture size and one sound
// format, and no gap at the joins.

#include "EngineHarness.h"

#include "Command.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace quillet::test;
using dolmar_test::RunEngine;
using dolmar_test::StreamField;

namespace {

std::vector<std::string> Segments(const std::vector<std::string> &paths)
{
    std::vector<std::string> args;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        args.push_back("-ivs");
        args.push_back((i == 1 ? "&new &dshow &file " : "&new &file ") + paths[i]);
        args.push_back("-ias");
        args.push_back("&file " + paths[i]);
    }
    return args;
}

double Seconds(const std::string &text)
{
    return std::atof(text.c_str());
}

TEST(MergedRun, threeDifferentInputsBecomeOneContinuousOutput)
{
    TempDir dir;
    ClipRecipe first; // 320x240, 25 fps, 44.1 kHz mono
    first.seconds = 1.0;
    ClipRecipe second; // wide, other rate, other sound format, other container
    second.seconds = 1.5;
    second.width = 256;
    second.height = 144;
    second.frame_rate = "30";
    second.sample_rate = 48000;
    second.video_codec = "libx264";
    ClipRecipe third;
    third.seconds = 0.8;
    third.width = 176;
    third.height = 144;
    third.audio_codec = "libmp3lame";
    const std::vector<std::string> inputs{
        MakeClip(dir.path() / "one.mp4", first).string(),
        MakeClip(dir.path() / "two.mkv", second).string(),
        MakeClip(dir.path() / "three, with space.avi", third).string()};

    auto args = Segments(inputs);
    args.push_back(dir.file("Compound1.mp4"));
    const auto run = RunEngine(args);
    ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();

    const std::string out = dir.file("Compound1.mp4");
    const auto probed = Ffprobe(out);
    ASSERT_EQ(probed.count("video"), 1);
    ASSERT_EQ(probed.count("audio"), 1);
    EXPECT_EQ(probed.first("video")->width, 320); // the first input's size
    EXPECT_EQ(probed.first("video")->height, 240);
    EXPECT_EQ(StreamField(out, "v:0", "r_frame_rate"), "25/1");
    // The sum of the inputs, within a frame or two.
    double expected = 0;
    for (const auto &input : inputs)
        expected += Ffprobe(input).duration;
    EXPECT_NEAR(Seconds(StreamField(out, "v:0", "duration")), expected, 0.09);
    EXPECT_NEAR(Seconds(StreamField(out, "a:0", "duration")), expected, 0.09);
    EXPECT_EQ(StreamField(out, "a:0", "sample_rate"), "44100");

    // No gap at the joins: frame timestamps advance by one frame all the way.
    auto frames = RunCommand({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                              "packet=pts_time", "-of", "csv=p=0", out});
    std::vector<double> times;
    for (std::size_t at = 0; at < frames.out.size();) {
        times.push_back(std::atof(frames.out.c_str() + at));
        at = frames.out.find('\n', at);
        if (at == std::string::npos)
            break;
        ++at;
    }
    std::sort(times.begin(), times.end());
    ASSERT_GT(times.size(), 70u);
    for (std::size_t i = 1; i < times.size(); ++i)
        EXPECT_NEAR(times[i] - times[i - 1], 0.04, 0.002) << "at " << times[i];

    // The wide second input is letterboxed: black bars above and below at 1.7 s.
    const RgbFrame wide = GrabFrame(out, 1.7);
    ASSERT_FALSE(wide.empty());
    EXPECT_LT(wide.at(160, 5), 0x202020u);
    EXPECT_LT(wide.at(160, 234), 0x202020u);
}

TEST(MergedRun, outputSizeComesFromDashSAndAudioOnlyInputsJoinToo)
{
    TempDir dir;
    ClipRecipe clip;
    clip.seconds = 1.0;
    const std::string a = MakeClip(dir.path() / "a.mp4", clip).string();
    const std::string b = MakeClip(dir.path() / "b.mp4", clip).string();
    auto args = Segments({a, b});
    args.insert(args.end(), {"-s", "640x360", "-b", "0", dir.file("sized.mp4")});
    ASSERT_EQ(RunEngine(args).result, DOLMAR_OK);
    EXPECT_EQ(Ffprobe(dir.file("sized.mp4")).first("video")->width, 640);
    EXPECT_NEAR(Ffprobe(dir.file("sized.mp4")).duration, 2.0, 0.09);

    ClipRecipe sound;
    sound.video = false;
    sound.seconds = 1.2;
    sound.audio_codec = "libmp3lame";
    const std::string s1 = MakeClip(dir.path() / "s1.mp3", sound).string();
    sound.sample_rate = 22050;
    const std::string s2 = MakeClip(dir.path() / "s2.mp3", sound).string();
    auto audio_args = Segments({s1, s2});
    audio_args.push_back(dir.file("joined.mp3"));
    const auto run = RunEngine(audio_args);
    ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
    const auto probed = Ffprobe(dir.file("joined.mp3"));
    EXPECT_EQ(probed.count("video"), 0);
    EXPECT_NEAR(probed.duration, 2.4, 0.1);
}

TEST(MergedRun, eachJoinedFileBecomesAChapterNamedByItsTitleOrName)
{
    TempDir dir;
    ClipRecipe titled;
    titled.seconds = 1.0;
    titled.output_options = {"-metadata", "title=The Beach"};
    ClipRecipe plain;
    plain.seconds = 1.5;
    const std::string a = MakeClip(dir.path() / "beach.mp4", titled).string();
    const std::string b = MakeClip(dir.path() / "second clip.mkv", plain).string();
    auto args = Segments({a, b});
    args.push_back(dir.file("day.mp4"));
    ASSERT_EQ(RunEngine(args).result, DOLMAR_OK);
    const CommandResult chapters = RunCommand({"ffprobe", "-v", "error", "-show_entries",
                                               "chapter=start_time,end_time:chapter_tags=title",
                                               "-of", "csv=p=0", dir.file("day.mp4")});
    double start[2] = {}, end[2] = {};
    char title[2][64] = {};
    ASSERT_EQ(std::sscanf(chapters.out.c_str(), "%lf,%lf,%63[^\n]\n%lf,%lf,%63[^\n]", &start[0],
                          &end[0], title[0], &start[1], &end[1], title[1]),
              6)
        << chapters.out;
    EXPECT_EQ(std::string(title[0]), "The Beach");
    EXPECT_EQ(std::string(title[1]), "second clip");
    EXPECT_DOUBLE_EQ(start[0], 0.0);
    EXPECT_NEAR(start[1], 1.0, 0.1);
    EXPECT_NEAR(end[1], 2.5, 0.15);
}

/// The loudest sample between from_s and to_s of the file's sound, in dBFS (-91: silence).
double MaxVolumeBetween(const std::string &path, double from_s, double to_s)
{
    const auto result = RunCommand(
        {"ffmpeg", "-nostdin", "-hide_banner", "-i", path, "-map", "0:a:0", "-af",
         "atrim=" + std::to_string(from_s) + ":" + std::to_string(to_s) + ",volumedetect", "-f",
         "null", "-"});
    const auto at = result.err.find("max_volume:");
    return at == std::string::npos ? 1000 : std::atof(result.err.c_str() + at + 11);
}

// A clip without sound joins with silence of its length wherever it stands, the first included,
// and the sound of the others keeps in step with their pictures.
TEST(MergedRun, aClipWithoutSoundJoinsWithSilenceFirstOrNot)
{
    TempDir dir;
    ClipRecipe sound;
    sound.seconds = 1.0;
    sound.width = 160;
    sound.height = 120;
    ClipRecipe silent = sound;
    silent.audio_streams = 0;
    silent.seconds = 1.2;
    const std::string with = MakeClip(dir.path() / "with.mp4", sound).string();
    const std::string without = MakeClip(dir.path() / "without.mp4", silent).string();
    const std::string with_again = MakeClip(dir.path() / "again.mkv", sound).string();
    const std::vector<std::vector<std::string>> cases{{without, with}, {with, without, with_again}};
    for (const auto &inputs : cases) {
        SCOPED_TRACE(inputs.size());
        const std::string out = dir.file("joined" + std::to_string(inputs.size()) + ".mp4");
        auto args = Segments(inputs);
        args.push_back(out);
        const auto run = RunEngine(args);
        ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
        double expected = 0;
        for (const auto &input : inputs)
            expected += Ffprobe(input).duration;
        const double video_s = Seconds(StreamField(out, "v:0", "duration"));
        EXPECT_NEAR(video_s, expected, 0.09);
        EXPECT_NEAR(Seconds(StreamField(out, "a:0", "duration")), video_s, 0.04);
        // Silence exactly where the silent clip's picture is, a tone on either side of it.
        double at = 0;
        for (const auto &input : inputs) {
            const double length = Ffprobe(input).duration;
            const double loudest = MaxVolumeBetween(out, at + 0.1, at + length - 0.1);
            if (input == without)
                EXPECT_LT(loudest, -80) << "at " << at;
            else
                EXPECT_GT(loudest, -30) << "at " << at;
            at += length;
        }
    }
}

TEST(MergedRun, aSegmentWithoutPictureCannotJoinAVideoRun)
{
    TempDir dir;
    const std::string video = MakeClip(dir.path() / "video.mp4").string();
    ClipRecipe sound;
    sound.video = false;
    sound.audio_codec = "libmp3lame";
    const std::string song = MakeClip(dir.path() / "song.mp3", sound).string();
    auto args = Segments({video, song});
    args.push_back(dir.file("out.mp4"));
    const auto run = RunEngine(args);
    EXPECT_EQ(run.result, DOLMAR_FAILED);
    EXPECT_NE(run.AllMessages().find("song.mp3"), std::string::npos) << run.AllMessages();
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.mp4")));
}

TEST(MergedRun, aMissingSegmentFailsWithItsName)
{
    TempDir dir;
    const std::string a = MakeClip(dir.path() / "a.mp4").string();
    auto args = Segments({a, dir.file("gone.mp4")});
    args.push_back(dir.file("out.mp4"));
    const auto run = RunEngine(args);
    EXPECT_EQ(run.result, DOLMAR_FAILED);
    EXPECT_NE(run.AllMessages().find("gone.mp4"), std::string::npos) << run.AllMessages();
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.mp4")));
}

TEST(MergedRun, fiftyClipsJoinInOneRun)
{
    // A day of camera clips: two hundred arguments, no cap on their number.
    TempDir dir;
    ClipRecipe recipe;
    recipe.seconds = 0.2;
    recipe.width = 64;
    recipe.height = 48;
    const auto clip = MakeClip(dir.path() / "clip.mp4", recipe);
    std::vector<std::string> inputs;
    for (int i = 1; i <= 50; ++i) {
        const auto copy = dir.path() / ("MVI_" + std::to_string(1000 + i) + ".mp4");
        std::filesystem::copy_file(clip, copy);
        inputs.push_back(copy.string());
    }
    auto args = Segments(inputs);
    args.push_back(dir.file("day.mp4"));
    ASSERT_GT(args.size(), 200u);
    const auto run = RunEngine(args);
    ASSERT_EQ(run.result, DOLMAR_OK) << run.AllMessages();
    EXPECT_NEAR(Ffprobe(dir.file("day.mp4")).duration, 50 * Ffprobe(clip).duration, 0.3);
}

} // namespace
