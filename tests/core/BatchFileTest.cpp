// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/BatchFile.h"

#include "core/ArgumentBuilder.h"

#include "TaskFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

using namespace quillet;
using batch_file::Decode;
using batch_file::Decoded;
using batch_file::Encode;

namespace {

ProfileRecord EveryProfileField()
{
    ProfileRecord r;
    r.profile_path = "/opt/quillet/ini/tablet.ini";
    r.section_name = "Tablet 1080p";
    r.FormatName = "MPEG-4 AVC";
    r.FormatHint = "H.264 video with AAC audio";
    r.TargetType = "mp4";
    r.BeforePara = "-threads 0";
    r.Para = "-vprofile main -level 31";
    r.bCanBurn = 1;
    r.BurnType = "DVD";
    r.bDisableAudio = 1;
    r.bAudioCustomSampleRate = 1;
    r.nAudioCustomSampleRate = 44100;
    r.bAudioCustomBitRate = 1;
    r.nAudioCustomBitRate = 128.25f;
    r.nAudioChannel = 2;
    r.bAudioCustomVolume = 1;
    r.nAudioVolume = 300;
    r.cAudioCodec = "aac";
    r.bDisableVideo = 1;
    r.bVideoHighQuality = 1;
    r.bVideoCustomFrameRate = 1;
    r.nVideoCustomFrameRate = 29.97f;
    r.bVideoCustomBitRate = 1;
    r.nVideoCustomBitRate = 1500;
    r.nVideoBitRateLevel = 3.5f;
    r.nVideoBitRateLevel2 = 0.1f;
    r.nVideoBitRateLevel3 = 64;
    r.estimated_video_bit_rate = 1234;
    r.source_height = 720;
    r.source_width = 1280;
    r.source_display_aspect = 1.7777778f;
    r.cVideoCodec = "h264";
    r.bVideoEnableCrop = 1;
    r.nVideoCropLeft = 1;
    r.nVideoCropRight = 2;
    r.nVideoCropTop = 3;
    r.nVideoCropBottom = 4;
    r.bVideoEnablePad = 1;
    r.nVideoPadLeft = 5;
    r.nVideoPadRight = 6;
    r.nVideoPadTop = 7;
    r.nVideoPadBottom = 8;
    r.nVideoPadColor = 0x102030;
    r.nVideoRiszeOption = 9;
    r.nVideoCustomSizeX = 1024;
    r.nVideoCustomSizeY = 576;
    r.nAspect = 2;
    r.PostProcess = "\"./ferrule\" \"%out\"";
    return r;
}

/// A task with every member set away from its default: trims, three audio tracks with the
/// second chosen, a subtitle with candidates, its own settings, a run's result.
KeptTask RichTask()
{
    KeptTask kept;
    kept.task
        = test::MakeProbedTask("/media/in/holiday clip.mkv", "/media/out/holiday clip.mp4", 3);
    Task &t = *kept.task;
    t.route_flag = 1;
    // The fixture's streams, with the video stream's picture facts set too.
    auto *streams = static_cast<StreamInfo *>(std::calloc(4, sizeof(StreamInfo)));
    std::memcpy(streams, t.streams.Get(), 4 * sizeof(StreamInfo));
    streams[0].width = 1280;
    streams[0].height = 720;
    streams[0].display_aspect = 1.7777778f;
    *t.streams.Receive() = streams;
    t.trim_start = {1500000, 0};
    t.trim_end = {9000000, 0};
    std::strcpy(t.context.file_name, "holiday clip.mkv");
    t.context.duration_us = 12345678;
    t.context.start_time_us = 40000;
    t.context.bit_rate = 2500000;
    t.source_width = 1280;
    t.source_height = 720;
    t.source_display_aspect = 1.7777778f;
    t.start_time_s = 0.04f;
    t.duration_s = 12.345678f;
    t.bit_rate_kbps = 2441;
    t.information = "File Name:holiday clip.mkv\r\nDuration:00:00:12.3";
    t.video_description = "Video: h264 1280x720\r\n";
    t.audio_tracks[0].selected = 0;
    t.audio_tracks[1].selected = 1;
    t.subtitle_path = "/tmp/quillet/holiday clip_track3.srt";
    t.subtitle_candidates
        = {"/tmp/quillet/holiday clip_track3.srt", "/tmp/quillet/holiday clip_track4.ass"};
    t.aspect_index = 2;
    t.settings = EveryProfileField();
    t.preparation_failure = "cannot extract track 4";
    kept.source_stamp = platform::FileStamp{123456789, 1700000000123456789, true};
    kept.run.running = true;
    kept.run.claimed = ClaimedOutput{"/media/out/holiday clip (1).mp4", "00ff"};
    kept.run.made = MadeOutput{"/media/out/holiday clip.mp4", 987654321, "abcd"};
    kept.run.result = TaskResult{t.source_path, "/media/out/holiday clip.mp4",
                                 TaskResult::Status::PostProcessFailed, "status 3", 12.5};
    return kept;
}

void ExpectSameTask(const Task &a, const Task &b)
{
    EXPECT_EQ(a.source_path, b.source_path);
    EXPECT_EQ(a.destination_path, b.destination_path);
    EXPECT_EQ(a.route_flag, b.route_flag);
    EXPECT_EQ(a.trim_start.us, b.trim_start.us);
    EXPECT_EQ(a.trim_start.unset, b.trim_start.unset);
    EXPECT_EQ(a.trim_end.us, b.trim_end.us);
    EXPECT_EQ(a.trim_end.unset, b.trim_end.unset);
    EXPECT_EQ(0, std::memcmp(&a.context, &b.context, sizeof a.context));
    EXPECT_EQ(a.streams.NeverProbed(), b.streams.NeverProbed());
    ASSERT_EQ(a.StreamCount(), b.StreamCount());
    for (int i = 0; i < a.StreamCount(); ++i) {
        const StreamInfo &x = a.streams.Get()[i];
        const StreamInfo &y = b.streams.Get()[i];
        EXPECT_EQ(x.kind, y.kind) << i;
        EXPECT_STREQ(x.description, y.description) << i;
        EXPECT_EQ(x.height, y.height) << i;
        EXPECT_EQ(x.width, y.width) << i;
        EXPECT_EQ(x.display_aspect, y.display_aspect) << i;
    }
    EXPECT_EQ(a.source_width, b.source_width);
    EXPECT_EQ(a.source_height, b.source_height);
    EXPECT_EQ(a.source_display_aspect, b.source_display_aspect);
    EXPECT_EQ(a.start_time_s, b.start_time_s);
    EXPECT_EQ(a.duration_s, b.duration_s);
    EXPECT_EQ(a.bit_rate_kbps, b.bit_rate_kbps);
    EXPECT_EQ(a.information, b.information);
    EXPECT_EQ(a.video_description, b.video_description);
    ASSERT_EQ(a.audio_tracks.size(), b.audio_tracks.size());
    for (std::size_t i = 0; i < a.audio_tracks.size(); ++i) {
        EXPECT_EQ(a.audio_tracks[i].ordinal, b.audio_tracks[i].ordinal);
        EXPECT_EQ(a.audio_tracks[i].selected, b.audio_tracks[i].selected);
        EXPECT_EQ(a.audio_tracks[i].description, b.audio_tracks[i].description);
    }
    EXPECT_EQ(a.subtitle_path, b.subtitle_path);
    EXPECT_EQ(a.subtitle_candidates, b.subtitle_candidates);
    EXPECT_EQ(a.aspect_index, b.aspect_index);
    EXPECT_EQ(a.settings, b.settings);
    EXPECT_EQ(a.preparation_failure, b.preparation_failure);
}

KeptBatch RoundTrip(const KeptBatch &batch)
{
    Decoded decoded = Decode(Encode(batch));
    EXPECT_EQ(decoded.status, Decoded::Status::Ok) << decoded.reason;
    return std::move(decoded.batch);
}

KeptBatch OneTask(KeptTask kept, BatchPhase phase = BatchPhase::Idle)
{
    KeptBatch batch;
    batch.phase = phase;
    batch.tasks.push_back(std::move(kept));
    return batch;
}

} // namespace

TEST(BatchFile, everyMemberOfATaskAndItsHistoryComesBack)
{
    // A member added to Task or ProfileRecord must be kept too (BatchFile.cpp, CopyOf): these
    // sizes change with it.
    EXPECT_EQ(sizeof(Task), 6416u) << "Task changed: keep the new member in the kept batch";
    EXPECT_EQ(sizeof(ProfileRecord), 4060u) << "ProfileRecord changed: keep the new member";

    const KeptBatch batch = OneTask(RichTask(), BatchPhase::Running);
    const KeptBatch back = RoundTrip(batch);
    EXPECT_EQ(back.phase, BatchPhase::Running);
    ASSERT_EQ(back.tasks.size(), 1u);
    ExpectSameTask(*batch.tasks[0].task, *back.tasks[0].task);
    EXPECT_EQ(back.tasks[0].source_stamp, batch.tasks[0].source_stamp);
    EXPECT_EQ(back.tasks[0].run, batch.tasks[0].run);
    // So does the copy a snapshot takes.
    ExpectSameTask(*batch.tasks[0].task, *CopyOf(*batch.tasks[0].task));

    // What counts in the end: the engine is given the same run.
    BuildContext context;
    context.split_choice = "No split";
    context.output_folder = "/media/out/";
    context.file_exists = [](const std::string &) { return false; };
    const auto arguments
        = [&](Task &task) { return BuildTaskArguments(task, context).args.Entries(); };
    EXPECT_EQ(arguments(*back.tasks[0].task), arguments(*batch.tasks[0].task));
}

TEST(BatchFile, probeStatesAndEmptyHistoryComeBack)
{
    KeptBatch batch;
    batch.phase = BatchPhase::Finished;
    batch.tasks.push_back({std::make_unique<Task>(), std::nullopt, {}}); // never probed
    batch.tasks[0].task->source_path = "/a.avi";
    batch.tasks.push_back({std::make_unique<Task>(), std::nullopt, {}}); // probe failed
    batch.tasks[1].task->source_path = "/b.avi";
    batch.tasks[1].task->streams.Reset();
    const KeptBatch back = RoundTrip(batch);
    ASSERT_EQ(back.tasks.size(), 2u);
    EXPECT_EQ(back.phase, BatchPhase::Finished);
    EXPECT_TRUE(back.tasks[0].task->streams.NeverProbed());
    EXPECT_FALSE(back.tasks[1].task->streams.NeverProbed());
    EXPECT_EQ(back.tasks[1].task->streams.Get(), nullptr);
    EXPECT_FALSE(back.tasks[0].source_stamp);
    EXPECT_EQ(back.tasks[0].run, RunFacts{});
}

TEST(BatchFile, textsInAnyEncodingAndOddNumbersComeBackExactly)
{
    struct Case
    {
        const char *what;
        std::string path;
    };
    const Case cases[] = {
        {"Latin-1 name", "/media/caf\xe9.avi"},
        {"overlong slash", "/media/a\xc0\xaf.avi"},
        {"surrogate half", "/media/\xed\xa0\x80.avi"},
        {"cut sequence", "/media/\xe2\x82.avi"},
        {"control characters", "/media/a\nb\tc\x01\x7f.avi"},
        {"UTF-8 name", "/media/Kl\xc3\xa4nge \xf0\x9f\x8e\xb5 \"quoted\" \\ x.avi"},
    };
    for (const Case &c : cases) {
        KeptTask kept = RichTask();
        kept.task->source_path = c.path;
        kept.task->settings.FormatName = c.path;
        kept.task->subtitle_candidates = {c.path};
        const KeptBatch back = RoundTrip(OneTask(std::move(kept)));
        ASSERT_EQ(back.tasks.size(), 1u) << c.what;
        EXPECT_EQ(back.tasks[0].task->source_path, c.path) << c.what;
        EXPECT_EQ(back.tasks[0].task->settings.FormatName.view(), c.path) << c.what;
        EXPECT_EQ(back.tasks[0].task->subtitle_candidates[0], c.path) << c.what;
    }

    // Profile files can hold "inf" or "nan" in a float key; JSON has no such numbers.
    KeptTask kept = RichTask();
    kept.task->settings.nVideoCustomFrameRate = std::numeric_limits<float>::infinity();
    kept.task->settings.nAudioCustomBitRate = -std::numeric_limits<float>::infinity();
    kept.task->settings.nVideoBitRateLevel = std::numeric_limits<float>::quiet_NaN();
    const KeptBatch back = RoundTrip(OneTask(std::move(kept)));
    ASSERT_EQ(back.tasks.size(), 1u);
    EXPECT_EQ(back.tasks[0].task->settings.nVideoCustomFrameRate,
              std::numeric_limits<float>::infinity());
    EXPECT_EQ(back.tasks[0].task->settings.nAudioCustomBitRate,
              -std::numeric_limits<float>::infinity());
    EXPECT_TRUE(std::isnan(back.tasks[0].task->settings.nVideoBitRateLevel));
}

TEST(BatchFile, aDamagedOrForeignFileIsRefusedWhole)
{
    const std::string good = Encode(OneTask(RichTask()));
    // The first match: a task's own source comes before its result's copy of it.
    const auto replaced = [&](const std::string &from, const std::string &to) {
        std::string text = good;
        const auto at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    struct Case
    {
        const char *what;
        std::string text;
    };
    const Case cases[] = {
        {"empty file", ""},
        {"cut short", good.substr(0, good.size() / 2)},
        {"another JSON file", R"({"name": "settings", "version": 1})"},
        {"not a batch format", replaced("\"quillet batch\"", "\"other\"")},
        {"a member missing", replaced("\"route_flag\":1,", "")},
        {"a wrong type", replaced("\"route_flag\":1", "\"route_flag\":\"1\"")},
        {"an int out of range", replaced("\"nAudioVolume\":300", "\"nAudioVolume\":4294967296")},
        {"a negative size", replaced("\"size\":987654321", "\"size\":-1")},
        {"more streams than counted", replaced("\"stream_count\":4", "\"stream_count\":9")},
        {"a NUL in the source",
         replaced("\"source\":\"/media/in/holiday clip.mkv\"",
                  "\"source\":\"/media/in/a\\u0000.mkv\"")},
        {"an empty source",
         replaced("\"source\":\"/media/in/holiday clip.mkv\"", "\"source\":\"\"")},
        {"bad bytes",
         replaced("\"source\":\"/media/in/holiday clip.mkv\"", "\"source\":{\"bytes\":\"4g\"}")},
        {"an unknown phase", replaced("\"phase\":\"idle\"", "\"phase\":\"paused\"")},
        {"an unknown status", replaced("\"post-processing failed\"", "\"half\"")},
        {"version 0", replaced("\"version\":1", "\"version\":0")},
    };
    for (const Case &c : cases) {
        const Decoded decoded = Decode(c.text);
        EXPECT_EQ(decoded.status, Decoded::Status::Damaged) << c.what;
        EXPECT_TRUE(decoded.batch.tasks.empty()) << c.what;
        EXPECT_FALSE(decoded.reason.empty()) << c.what;
    }
}

TEST(BatchFile, aNewerVersionIsRefusedAndUnknownMembersAreNot)
{
    std::string text = Encode(OneTask(RichTask()));
    std::string newer = text;
    newer.replace(newer.find("\"version\":1"), 11, "\"version\":2");
    EXPECT_EQ(Decode(newer).status, Decoded::Status::Newer);

    // What a later program adds inside a task is passed over by this one.
    text.replace(text.find("\"route_flag\""), 0, "\"colour\":\"red\",");
    const Decoded decoded = Decode(text);
    EXPECT_EQ(decoded.status, Decoded::Status::Ok) << decoded.reason;
}

TEST(BatchFile, theRecipeChangesWithWhatTheOutputIsMadeOfOnly)
{
    const KeptTask base = RichTask();
    const std::string recipe = batch_file::RecipeOf(*base.task);
    EXPECT_EQ(recipe, batch_file::RecipeOf(*RoundTrip(OneTask(RichTask())).tasks[0].task));

    struct Case
    {
        const char *what;
        void (*change)(Task &);
        bool changes;
    };
    const Case cases[] = {
        {"profile setting", [](Task &t) { t.settings.nVideoCustomBitRate = 900; }, true},
        {"trim", [](Task &t) { t.trim_end.us = 8000000; }, true},
        {"audio choice", [](Task &t) { t.audio_tracks[2].selected = 1; }, true},
        {"subtitle", [](Task &t) { t.subtitle_path.clear(); }, true},
        {"source", [](Task &t) { t.source_path = "/media/in/other.mkv"; }, true},
        {"destination after a claim", [](Task &t) { t.destination_path += " (1)"; }, false},
        {"information text", [](Task &t) { t.information = "other"; }, false},
        {"profile file after an upgrade",
         [](Task &t) { t.settings.profile_path = "/usr/share/quillet/ini/tablet.ini"; }, false},
    };
    for (const Case &c : cases) {
        KeptTask changed = RichTask();
        c.change(*changed.task);
        EXPECT_EQ(batch_file::RecipeOf(*changed.task) != recipe, c.changes) << c.what;
    }
}
