// SPDX-License-Identifier: GPL-3.0-or-later
#include "EngineHarness.h"

#include "Command.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

using namespace quillet::test;
using dolmar_test::ProbeResult;

namespace {

void RunFfmpeg(std::vector<std::string> args)
{
    std::vector<std::string> argv{"ffmpeg", "-nostdin", "-v", "error", "-y"};
    argv.insert(argv.end(), args.begin(), args.end());
    auto result = RunCommand(argv);
    ASSERT_EQ(result.exit_code, 0) << result.err;
}

bool IsCompleteUtf8(const char *text)
{
    // A cut inside a multi-byte character leaves a lead byte without all its continuations.
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    while (*p) {
        int follow = *p < 0x80 ? 0
            : (*p >> 5) == 6   ? 1
            : (*p >> 4) == 14  ? 2
            : (*p >> 3) == 30  ? 3
                               : -1;
        if (follow < 0)
            return false;
        ++p;
        for (int i = 0; i < follow; ++i, ++p)
            if ((*p & 0xC0) != 0x80)
                return false;
    }
    return true;
}

} // namespace

TEST(ProbeRecords, videoWithTwoAudioTracksListsEveryStreamInSourceOrder)
{
    TempDir dir;
    ClipRecipe recipe;
    recipe.audio_streams = 2;
    recipe.output_options = {"-metadata:s:a:0", "language=eng", "-metadata:s:a:1", "language=fre"};
    auto clip = MakeClip(dir.path() / "two tracks.mp4", recipe);

    ProbeResult probe(clip.string());
    ASSERT_EQ(probe.result, 0);
    ASSERT_NE(probe.streams, nullptr);
    EXPECT_STREQ(probe.context.file_name, clip.string().c_str());
    EXPECT_EQ(probe.context.stream_count, 3);
    EXPECT_EQ(probe.context.audio_stream_count, 2);
    EXPECT_EQ(probe.context.video_stream_index, 0);
    // The record is packed: copy its 64-bit fields out instead of binding references to them.
    const int64_t duration_us = probe.context.duration_us;
    const int64_t start_time_us = probe.context.start_time_us;
    EXPECT_NEAR(duration_us, 2'000'000, 100'000);
    EXPECT_EQ(start_time_us, 0);
    // Size over duration, within what the container's own overhead allows.
    const double expected_bps = std::filesystem::file_size(clip) * 8.0 / (duration_us / 1e6);
    EXPECT_NEAR(probe.context.bit_rate, expected_bps, expected_bps * 0.1);

    const StreamInfo &video = probe.streams[0];
    EXPECT_EQ(video.kind, DOLMAR_KIND_VIDEO);
    EXPECT_EQ(video.width, 320);
    EXPECT_EQ(video.height, 240);
    const std::string line = video.description;
    EXPECT_EQ(line.rfind("Video: mpeg4 (Simple Profile), 320x240, 25 fps, ", 0), 0u) << line;
    EXPECT_EQ(line.substr(line.size() - 5), " kb/s") << line;

    EXPECT_EQ(probe.streams[1].kind, DOLMAR_KIND_AUDIO);
    EXPECT_EQ(probe.streams[2].kind, DOLMAR_KIND_AUDIO);
    const std::string first = probe.streams[1].description;
    const std::string second = probe.streams[2].description;
    EXPECT_EQ(first.rfind("Audio: aac (LC), 44100 Hz, mono", 0), 0u) << first;
    EXPECT_NE(first.find("kb/s"), std::string::npos) << first;
    EXPECT_EQ(first.substr(first.size() - 6), " [eng]") << first;
    EXPECT_EQ(second.substr(second.size() - 6), " [fre]") << second;
    EXPECT_EQ(probe.streams[1].width, 0);
}

TEST(ProbeRecords, displayAspectFollowsTheStoredAspectAndIsZeroWithoutOne)
{
    TempDir dir;
    ClipRecipe wide;
    wide.output_options = {"-aspect", "16:9"};
    ProbeResult stated(MakeClip(dir.path() / "wide.mp4", wide).string());
    ASSERT_EQ(stated.result, 0);
    EXPECT_NEAR(stated.First(DOLMAR_KIND_VIDEO)->display_aspect, 16.0 / 9.0, 0.001);

    // H.264 without aspect information in its headers and a container that adds none.
    ClipRecipe bare;
    bare.video_codec = "libx264";
    bare.audio_streams = 0;
    bare.output_options = {"-vf", "setsar=0"};
    ProbeResult none(MakeClip(dir.path() / "bare.h264", bare).string());
    ASSERT_EQ(none.result, 0);
    ASSERT_NE(none.First(DOLMAR_KIND_VIDEO), nullptr);
    EXPECT_EQ(none.First(DOLMAR_KIND_VIDEO)->display_aspect, 0.0f);
}

TEST(ProbeRecords, audioOnlyFileHasNoVideoIndexAndCoverArtIsNotVideo)
{
    TempDir dir;
    const std::string cover = dir.file("cover.png");
    RunFfmpeg({"-f", "lavfi", "-i", "testsrc2=size=64x64", "-frames:v", "1", cover});
    const std::string song = dir.file("song.mp3");
    RunFfmpeg({"-f", "lavfi", "-i", "sine=duration=1", "-i", cover, "-map", "0", "-map", "1",
               "-c:v", "png", "-disposition:v", "attached_pic", song});

    ProbeResult probe(song);
    ASSERT_EQ(probe.result, 0);
    ASSERT_EQ(probe.context.stream_count, 2);
    EXPECT_EQ(probe.context.video_stream_index, -1);
    EXPECT_EQ(probe.context.audio_stream_count, 1);
    EXPECT_EQ(probe.streams[0].kind, DOLMAR_KIND_AUDIO);
    EXPECT_EQ(probe.streams[1].kind, DOLMAR_KIND_OTHER);
    EXPECT_EQ(std::string(probe.streams[1].description).rfind("Cover art: png", 0), 0u);
}

TEST(ProbeRecords, subtitleStreamsKeepTheirPlaceAsOtherKind)
{
    TempDir dir;
    auto clip = MakeClip(dir.path() / "clip.mkv");
    WriteFile(dir.path() / "subs.srt", "1\n00:00:00,000 --> 00:00:01,000\nHello\n\n");
    const std::string muxed = dir.file("muxed.mkv");
    RunFfmpeg({"-i", clip.string(), "-i", dir.file("subs.srt"), "-map", "0:v", "-map", "1", "-map",
               "0:a", "-c", "copy", "-c:s", "srt", "-metadata:s:s:0", "language=fre", muxed});

    ProbeResult probe(muxed);
    ASSERT_EQ(probe.result, 0);
    ASSERT_EQ(probe.context.stream_count, 3);
    EXPECT_EQ(probe.streams[1].kind, DOLMAR_KIND_OTHER);
    EXPECT_STREQ(probe.streams[1].description, "Subtitle: subrip [fre]");
    EXPECT_EQ(probe.streams[2].kind, DOLMAR_KIND_AUDIO);
    EXPECT_EQ(probe.context.audio_stream_count, 1);
    // Matroska states no overall rate; size over duration is what a user means by one.
    const int64_t duration_us = probe.context.duration_us;
    const double expected_bps = std::filesystem::file_size(muxed) * 8.0 / (duration_us / 1e6);
    EXPECT_NEAR(probe.context.bit_rate, expected_bps, expected_bps * 0.05);
}

TEST(ProbeRecords, unreadableFilesGiveNoStreamsAndNoArray)
{
    TempDir dir;
    WriteFile(dir.path() / "notes.mp4", "These are meeting notes, not a movie.\n");
    WriteFile(dir.path() / "empty.avi", "");
    for (const std::string &path :
         {dir.file("missing.mp4"), dir.file("notes.mp4"), dir.file("empty.avi"), dir.file("")}) {
        ProbeResult probe(path);
        EXPECT_LT(probe.result, 0) << path;
        EXPECT_EQ(probe.context.stream_count, 0) << path;
        EXPECT_EQ(probe.streams, nullptr) << path;
        EXPECT_EQ(probe.context.video_stream_index, -1) << path;
    }
}

TEST(ProbeRecords, longPathIsCutOnACharacterBoundary)
{
    // 200 two-byte characters: 400 bytes, so the cut falls inside the name.
    std::string name;
    for (int i = 0; i < 200; ++i)
        name += "\xC3\xA9";
    const std::string path = "/no/such/folder/" + name + ".mp4";
    ProbeResult probe(path);
    const std::size_t length = strnlen(probe.context.file_name, sizeof probe.context.file_name);
    ASSERT_LT(length, sizeof probe.context.file_name);
    EXPECT_GE(length, 254u);
    EXPECT_TRUE(IsCompleteUtf8(probe.context.file_name));
    EXPECT_EQ(std::string(probe.context.file_name), path.substr(0, length));
}

TEST(ProbeRecords, nullArgumentsAreRefusedWithoutACrash)
{
    MediaContext context{};
    StreamInfo *streams = reinterpret_cast<StreamInfo *>(1);
    EXPECT_LT(GetMediaFileInfo(nullptr, &context, &streams, 0), 0);
    EXPECT_EQ(streams, nullptr);
    EXPECT_LT(GetMediaFileInfo("x.mp4", nullptr, &streams, 0), 0);
    FreeStreamInfo(nullptr);
    FreeContext(nullptr);
    EXPECT_EQ(ExitPlayCurrentFile(), 0);
    EXPECT_EQ(VCInit(), 0);
    EXPECT_EQ(VCExit(), 0);
}
