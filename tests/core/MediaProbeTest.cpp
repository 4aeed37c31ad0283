// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/MediaProbe.h"

#include "core/ProfileApplier.h"

#include "Command.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using namespace quillet;
using quillet::test::ClipRecipe;
using quillet::test::MakeClip;
using quillet::test::TempDir;
using quillet::test::WriteFile;

namespace {

struct RecordingPrompter : Prompter
{
    std::vector<std::string> told;
    void Tell(std::string_view text, std::string_view, Icon) override { told.emplace_back(text); }
    bool Ask(std::string_view, std::string_view) override { return false; }
};

struct HostileTexts : Texts
{
    std::string Lookup(std::string_view, std::string_view key, std::string_view d) const override
    {
        return key == "strFormatInfo" ? "%s%s%s%s%n" : std::string(d);
    }
};

std::vector<std::string> Lines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        auto end = text.find("\r\n", start);
        lines.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos)
            return lines;
        start = end + 2;
    }
}

} // namespace

TEST(MediaProbe, describesAFileWithItsStreamsAndAudioTracks)
{
    TempDir dir;
    ClipRecipe recipe;
    recipe.seconds = 90.2;
    recipe.width = 64;
    recipe.height = 48;
    recipe.frame_rate = "5";
    recipe.audio_streams = 2;
    recipe.sample_rate = 8000;
    recipe.audio_codec = "pcm_s16le"; // no codec frame padding: the file lasts exactly 90.2 s
    auto clip = MakeClip(dir.path() / "two tracks.mkv", recipe);

    BuiltInTexts texts;
    RecordingPrompter prompter;
    auto task = CreateTask(clip.string(), 0, -1, -1, texts, prompter);
    auto lines = Lines(task->information.view());
    ASSERT_EQ(lines.size(), 7u) << task->information.view();
    EXPECT_EQ(lines[0], "File Name:" + clip.string());
    EXPECT_EQ(lines[1], "Duration:00:01:30.2");
    EXPECT_EQ(lines[2], "Start Time:0.000s");
    EXPECT_EQ(lines[3], "Bit Rate:" + std::to_string(task->context.bit_rate / 1024) + "kbit/s");
    EXPECT_EQ(lines[3], "Bit Rate:" + std::to_string(task->bit_rate_kbps) + "kbit/s");
    EXPECT_NE(lines[4].find("Video"), std::string::npos);
    EXPECT_EQ(task->video_description.view(), lines[4] + "\r\n");

    ASSERT_EQ(task->audio_tracks.size(), 2u);
    EXPECT_EQ(task->audio_tracks[0].ordinal, 0);
    EXPECT_EQ(task->audio_tracks[0].selected, 1);
    EXPECT_EQ(task->audio_tracks[1].ordinal, 1);
    EXPECT_EQ(task->audio_tracks[1].selected, 0);
    EXPECT_EQ(task->audio_tracks[1].description.view(), lines[6]);
    EXPECT_EQ(task->source_width, 64);
    EXPECT_EQ(task->source_height, 48);
    EXPECT_NEAR(task->duration_s, 90.2, 0.05);
    EXPECT_TRUE(task->trim_start.unset && task->trim_end.unset);
    EXPECT_TRUE(prompter.told.empty());
}

TEST(MediaProbe, listsSubtitleStreamsWithoutTakingThemForAudioTracks)
{
    TempDir dir;
    auto srt = WriteFile(dir.path() / "s.srt", "1\n00:00:00,000 --> 00:00:01,000\nHello\n");
    ClipRecipe recipe;
    recipe.seconds = 1;
    auto base = MakeClip(dir.path() / "base.mkv", recipe);
    auto clip = dir.path() / "with subs.mkv";
    auto result = quillet::test::RunCommand({"ffmpeg", "-v", "error", "-y", "-i", base.string(),
                                             "-i", srt.string(), "-map", "0", "-map", "1", "-c",
                                             "copy", "-c:s", "srt", clip.string()});
    ASSERT_EQ(result.exit_code, 0) << result.err;

    BuiltInTexts texts;
    RecordingPrompter prompter;
    auto task = CreateTask(clip.string(), 0, -1, -1, texts, prompter);
    EXPECT_EQ(task->StreamCount(), 3);
    EXPECT_EQ(task->audio_tracks.size(), 1u);
    EXPECT_EQ(Lines(task->information.view()).size(), 7u);
}

TEST(MediaProbe, anAudioOnlyFileKeepsNoPictureFacts)
{
    TempDir dir;
    ClipRecipe recipe;
    recipe.video = false;
    recipe.seconds = 1;
    recipe.audio_codec = "libmp3lame";
    auto clip = MakeClip(dir.path() / "tone.mp3", recipe);
    BuiltInTexts texts;
    RecordingPrompter prompter;
    auto task = CreateTask(clip.string(), 0, 2.5, 0, texts, prompter);
    EXPECT_EQ(task->source_width, 0);
    EXPECT_EQ(task->source_height, 0);
    EXPECT_EQ(task->source_display_aspect, 0.0f);
    EXPECT_FALSE(task->HasVideo());
    EXPECT_EQ(task->audio_tracks.size(), 1u);
    EXPECT_EQ(task->trim_start.us, 2500000);
    EXPECT_EQ(task->trim_start.unset, 0);
    EXPECT_EQ(task->trim_end.unset, 1);
}

TEST(MediaProbe, aFileThatCannotBeOpenedStillBecomesATask)
{
    TempDir dir;
    auto text = WriteFile(dir.path() / "notes.mp4", "just some text, not a movie\n");
    BuiltInTexts texts;
    RecordingPrompter prompter;
    for (const auto &path : {text.string(), dir.file("missing.avi")}) {
        auto task = CreateTask(path, 0, -1, -1, texts, prompter);
        EXPECT_EQ(task->information.view(), "Cannot open the file");
        EXPECT_EQ(task->streams.Get(), nullptr);
        EXPECT_FALSE(task->streams.NeverProbed());
        EXPECT_EQ(task->StreamCount(), 0);
        EXPECT_TRUE(task->audio_tracks.empty());
        EXPECT_EQ(Probe(*task, texts, prompter), kProbeNoStreams);
    }
}

TEST(MediaProbe, aHostileInformationFormatIsReplacedByTheDefault)
{
    TempDir dir;
    ClipRecipe recipe;
    recipe.seconds = 1;
    auto clip = MakeClip(dir.path() / "c.mp4", recipe);
    HostileTexts texts;
    RecordingPrompter prompter;
    auto task = CreateTask(clip.string(), 0, -1, -1, texts, prompter);
    EXPECT_EQ(Lines(task->information.view())[1], "Duration:00:00:1.0");
}

TEST(MediaProbe, routeFlagFollowsTheLastExtension)
{
    EXPECT_EQ(RouteFlag("/v/CLIP.WMV"), 1);
    EXPECT_EQ(RouteFlag("/v/film.RmVb"), 1);
    EXPECT_EQ(RouteFlag("/v/clip.wmv.avi"), 0);
    EXPECT_EQ(RouteFlag("/v/noextension"), 0);
    EXPECT_EQ(RouteFlag("/v/x.r"), 0);
}

TEST(MediaProbe, aClipStoredOnItsSideBecomesAnUprightTaskWithFittingBars)
{
    TempDir dir;
    const std::string stored = dir.file("stored.mp4");
    const std::string phone = dir.file("phone.mp4");
    auto encode = quillet::test::RunCommand({"ffmpeg", "-v", "error", "-nostdin", "-f", "lavfi",
                                             "-i", "testsrc2=s=360x640:r=10:d=0.3,transpose=clock",
                                             "-c:v", "libx264", stored});
    ASSERT_EQ(encode.exit_code, 0) << encode.err;
    auto tag = quillet::test::RunCommand({"ffmpeg", "-v", "error", "-nostdin", "-i", stored, "-c",
                                          "copy", "-metadata:s:v:0", "rotate=90", phone});
    ASSERT_EQ(tag.exit_code, 0) << tag.err;

    BuiltInTexts texts;
    RecordingPrompter prompter;
    auto task = CreateTask(phone, 0, -1, -1, texts, prompter);
    EXPECT_EQ(task->source_width, 360);
    EXPECT_EQ(task->source_height, 640);
    EXPECT_NEAR(task->source_display_aspect, 0.5625, 0.001);
    EXPECT_NE(task->information.view().find("360x640, rotation 90"), std::string_view::npos)
        << task->information.view();

    // A 320x240 profile pillarboxes the upright picture: 92 + 92 pixels of bars around 136.
    task->aspect_index = 1;
    ProfileRecord ipod;
    ipod.nVideoRiszeOption = 5;
    ipod.TargetType = "mp4";
    ApplyProfile(*task, ipod, ApplyPath::AddFile,
                 {dir.file(""), [](const std::string &) { return false; }});
    EXPECT_EQ(task->settings.nAspect, 1);
    EXPECT_EQ(task->settings.nVideoPadLeft, 92);
    EXPECT_EQ(task->settings.nVideoPadRight, 92);
    EXPECT_EQ(task->settings.nVideoPadTop, 0);
}
