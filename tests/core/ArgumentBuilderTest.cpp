// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ArgumentBuilder.h"
#include "core/OptionText.h"

#include "TaskFixtures.h"

#include <gtest/gtest.h>

#include <set>

using namespace quillet;
using quillet::test::MakeProbedTask;
using Entries = std::vector<std::string>;

namespace {

ProfileRecord AutoRecord()
{
    ProfileRecord r;
    r.cAudioCodec = "auto";
    r.cVideoCodec = "auto";
    return r;
}

Entries Options(const ProfileRecord &r)
{
    ArgumentVector args;
    AppendProfileOptions(args, r);
    EXPECT_FALSE(args.Failed()) << args.Error();
    return args.Entries();
}

// A file system where only the listed paths exist.
BuildContext ContextWith(const std::set<std::string> &existing = {})
{
    BuildContext c;
    c.split_choice = "No split";
    c.output_folder = "/out/";
    c.file_exists = [existing](const std::string &p) { return existing.count(p) > 0; };
    return c;
}

} // namespace

TEST(ArgumentBuilder, workedExampleYieldsItsSixteenEntries)
{
    auto task = MakeProbedTask("/in/clip.avi", "/out/clip.mp4");
    ProfileRecord &r = task->settings;
    r.cVideoCodec = "mpeg4";
    r.estimated_video_bit_rate = 768;
    r.nVideoRiszeOption = 5;
    r.nAspect = 1;

    BuildResult result = BuildTaskArguments(*task, ContextWith());
    ASSERT_TRUE(result.Ok()) << result.Error();
    EXPECT_EQ(
        result.args.Entries(),
        (Entries{"ffmain", "-i", "/in/clip.avi", "-b", "768", "-vcodec", "mpeg4", "-s", "320x240",
                 "-aspect", "4:3", "-map", "0:0", "-map", "0:1", "/out/clip.mp4"}));
    EXPECT_EQ(result.args.Count(), 16u);
    EXPECT_EQ(result.args.CommandLine().rfind("ffmain -i /in/clip.avi -b 768", 0), 0u);
}

TEST(ArgumentBuilder, writesProfileOptionsInTheirFixedOrder)
{
    EXPECT_EQ(Options(AutoRecord()), (Entries{"-b", "0"}));

    ProfileRecord r = AutoRecord();
    r.bDisableAudio = 1;
    r.bAudioCustomSampleRate = 1;
    r.nAudioCustomSampleRate = 48000;
    r.nAudioChannel = 2;
    r.bAudioCustomVolume = 1;
    r.nAudioVolume = 512;
    r.bAudioCustomBitRate = 1;
    r.nAudioCustomBitRate = 128;
    r.bDisableVideo = 1;
    r.bVideoHighQuality = 1;
    r.bVideoCustomFrameRate = 1;
    r.nVideoCustomFrameRate = 29.97f;
    r.bVideoCustomBitRate = 1;
    r.nVideoCustomBitRate = 1500;
    r.estimated_video_bit_rate = 900;
    r.cAudioCodec = "aac";
    r.cVideoCodec = "h264";
    r.bVideoEnableCrop = 1;
    r.nVideoCropTop = 1;
    r.nVideoCropBottom = 2;
    r.nVideoCropLeft = 3;
    r.nVideoCropRight = 4;
    r.bVideoEnablePad = 1;
    r.nVideoPadTop = 10;
    r.nVideoPadBottom = 12;
    r.nVideoPadLeft = 0;
    r.nVideoPadRight = 0;
    r.nVideoPadColor = 0xFF8000;
    r.nVideoRiszeOption = 11;
    r.nAspect = 2;
    EXPECT_EQ(Options(r),
              (Entries{"-an",      "-ar",        "48000",      "-ac",         "2",   "-vol",
                       "512",      "-ab",        "128.000000", "-vn",         "-hq", "-r",
                       "29.970",   "-b",         "1500",       "-acodec",     "aac", "-vcodec",
                       "h264",     "-croptop",   "1",          "-cropbottom", "2",   "-cropleft",
                       "3",        "-cropright", "4",          "-padtop",     "10",  "-padbottom",
                       "12",       "-padleft",   "0",          "-padright",   "0",   "-padcolor",
                       "0xff8000", "-s",         "1920x1058",  "-aspect",     "16:9"}));
}

TEST(ArgumentBuilder, sizeChoicesFollowTheTableAndThePads)
{
    ProfileRecord r = AutoRecord();
    r.nVideoRiszeOption = 9;
    r.nVideoCustomSizeX = 300;
    r.nVideoCustomSizeY = 200;
    EXPECT_EQ(SizeValue(r), "304x208");

    r.bVideoEnablePad = 1;
    r.nVideoPadLeft = 8;
    r.nVideoPadRight = 8;
    r.nVideoPadTop = 4;
    r.nVideoPadBottom = 4;
    EXPECT_EQ(SizeValue(r), "288x200");

    ProfileRecord named = AutoRecord();
    named.nVideoRiszeOption = 5;
    EXPECT_EQ(SizeValue(named), "320x240");
    named.nVideoRiszeOption = 1;
    EXPECT_EQ(SizeValue(named), "sqcif");
    named.bVideoEnablePad = 1; // every pad 0: the same size, written as numbers
    named.nVideoRiszeOption = 4;
    EXPECT_EQ(SizeValue(named), "704x576");

    // A choice beyond the table writes "-s" with no value; choice 0 writes nothing.
    ProfileRecord beyond = AutoRecord();
    beyond.nVideoRiszeOption = 12;
    EXPECT_EQ(Options(beyond), (Entries{"-b", "0", "-s"}));
    beyond.nVideoRiszeOption = 0;
    EXPECT_EQ(Options(beyond), (Entries{"-b", "0"}));
}

TEST(ArgumentBuilder, aspectAndCodecNames)
{
    ProfileRecord r = AutoRecord();
    r.nAspect = 3;
    r.cAudioCodec = "Auto";
    r.cVideoCodec = ""; // an empty name is passed on, not taken for auto
    EXPECT_EQ(Options(r), (Entries{"-b", "0", "-vcodec", "", "-aspect", "16:9"}));
}

TEST(ArgumentBuilder, trimPointsBecomeTimesOnTheSourceTimeLine)
{
    auto task = MakeProbedTask("/in/a.ts", "/out/a.mp4");
    task->context.start_time_us = 2500000;
    task->trim_start = {2000000, 0};
    auto args = BuildTaskArguments(*task, ContextWith()).args.Entries();
    EXPECT_EQ(Entries(args.begin(), args.begin() + 3), (Entries{"ffmain", "-ss", "00:00:00.0"}));

    task->trim_start = {12500000, 0};
    task->trim_end = {77870000, 0};
    args = BuildTaskArguments(*task, ContextWith()).args.Entries();
    EXPECT_EQ(Entries(args.begin(), args.begin() + 5),
              (Entries{"ffmain", "-ss", "00:00:10.0", "-t", "00:01:05.3"}));

    task->trim_start = {};
    task->trim_end = {3600000000LL * 101 + 2500000, 0};
    args = BuildTaskArguments(*task, ContextWith()).args.Entries();
    EXPECT_EQ(Entries(args.begin(), args.begin() + 3), (Entries{"ffmain", "-t", "101:00:00.0"}));
}

TEST(ArgumentBuilder, optionStringsSplitAtRunsOfSpaces)
{
    EXPECT_EQ(SplitOptionString("-g  250").size(), 2u);
    EXPECT_TRUE(SplitOptionString("").empty());
    EXPECT_EQ(SplitOptionString(" -g 250  "), (std::vector<std::string_view>{"", "-g", "250"}));
    EXPECT_EQ(SplitOptionString("\"a b\""), (std::vector<std::string_view>{"\"a", "b\""}));

    auto task = MakeProbedTask("/in/a.avi", "/out/a.mp4");
    task->settings.BeforePara = "-threads  0";
    task->settings.Para = "-f mp4";
    auto args = BuildTaskArguments(*task, ContextWith()).args.Entries();
    EXPECT_EQ(Entries(args.begin(), args.begin() + 8),
              (Entries{"ffmain", "-threads", "0", "-i", "/in/a.avi", "-f", "mp4", "-b"}));
}

TEST(ArgumentBuilder, splitChoiceDecidesTheSizeLimit)
{
    auto para_of = [](const std::string &choice, int64_t total, const std::string &profile) {
        auto task = MakeProbedTask("/in/a.avi", "/out/a.mpg");
        task->settings.Para = "-g 15 -fs -bf 2";
        BuildContext c = ContextWith();
        c.split_choice = choice;
        c.running_output_total_kib = total;
        c.current_profile_path = profile;
        c.custom_split_mb = 700;
        auto args = BuildTaskArguments(*task, c).args.Entries();
        auto b = std::find(args.begin(), args.end(), "-b");
        return Entries(args.begin() + 3, b);
    };
    EXPECT_EQ(para_of("No split", 0, "/ini/ipad.ini"), (Entries{"-g", "15"}));
    EXPECT_EQ(para_of("DVD-5 (4.7GB)", 1000, "/ini/ipad.ini"),
              (Entries{"-g", "15", "-fs", "4200000", "-bf", "2"}));
    // A disc profile shares the disc between the outputs of one run.
    EXPECT_EQ(para_of("DVD-9 (8.5GB)", 1000, "/ini/paldvd.ini"),
              (Entries{"-g", "15", "-fs", "7999000", "-bf", "2"}));
    EXPECT_EQ(para_of("BD-25 (25GB)", 23000000, "/ini/blu-ray_h264.ini"),
              (Entries{"-g", "15", "-fs", "23000000", "-bf", "2"}));
    EXPECT_EQ(para_of("Custom", 1000, "/ini/avchd_h264.ini"),
              (Entries{"-g", "15", "-fs", "700000", "-bf", "2"}));
    EXPECT_EQ(para_of("", 0, "/ini/ipad.ini"), (Entries{"-g", "15", "-fs", "-bf", "2"}));
}

TEST(ArgumentBuilder, discFamilyFollowsTheProfileFileName)
{
    EXPECT_TRUE(IsDiscFamily("/p/ini/avchd_h264.ini", false));
    EXPECT_TRUE(IsDiscFamily("/p/ini/ntscdvd.ini", false));
    EXPECT_TRUE(IsDiscFamily("/p/ini/blu-ray_mpeg2.ini", false));
    EXPECT_FALSE(IsDiscFamily("/p/ini/Blu-ray_h264.ini", true));
    EXPECT_FALSE(IsDiscFamily("/p/dvd.folder/ipad.ini", true));
    EXPECT_TRUE(IsDiscFamily("/p/ini/hd_divxavi.ini", true));
    EXPECT_FALSE(IsDiscFamily("/p/ini/hd_divxavi.ini", false));
}

TEST(ArgumentBuilder, selectedAudioTracksBecomeMappedStreams)
{
    auto task = MakeProbedTask("/in/a.mkv", "/out/a.mp4", 3);
    task->audio_tracks[1].selected = 0;
    task->audio_tracks[2].selected = 1;
    task->subtitle_path = "/subs/a b.srt";
    auto args = BuildTaskArguments(*task, ContextWith()).args.Entries();
    EXPECT_EQ(Entries(args.begin() + 3, args.begin() + 5),
              (Entries{"-vhook", "SubTitleHook -f /subs/a b.srt"}));
    EXPECT_EQ(Entries(args.end() - 16, args.end()),
              (Entries{"-map", "0:0", "-map", "0:1", "-map", "0:3", "/out/a.mp4", "-acodec", "ac3",
                       "-ar", "48000", "-ab", "448", "-ac", "2", "-newaudio"}));

    task->settings.bDisableAudio = 1;
    args = BuildTaskArguments(*task, ContextWith()).args.Entries();
    EXPECT_EQ(Entries(args.end() - 3, args.end()), (Entries{"-map", "0:0", "/out/a.mp4"}));

    auto audio_only = MakeProbedTask("/in/a.wav", "/out/a.mp3", 1, false);
    args = BuildTaskArguments(*audio_only, ContextWith()).args.Entries();
    EXPECT_EQ(Entries(args.end() - 3, args.end()), (Entries{"-map", "0:0", "/out/a.mp3"}));
}

TEST(ArgumentBuilder, outputNeverReplacesAnExistingFile)
{
    auto task = MakeProbedTask("/in/movie.part.avi", "/out/movie.part.mp4");
    auto result = BuildTaskArguments(
        *task, ContextWith({"/out/movie.part.mp4", "/out/movie.part (1).mp4"}));
    EXPECT_EQ(result.output_path, "/out/movie.part (2).mp4");
    EXPECT_EQ(task->destination_path, "/out/movie.part (2).mp4");
    EXPECT_EQ(result.args.Entries().back(), "/out/movie.part (2).mp4");

    // The counter takes the source's name, as it was before any renaming of the output.
    auto renamed = MakeProbedTask("/in/holiday.avi", "/out/custom.mp4");
    EXPECT_EQ(BuildTaskArguments(*renamed, ContextWith({"/out/custom.mp4"})).output_path,
              "/out/holiday (1).mp4");
}

TEST(ArgumentBuilder, mergedRunJoinsEverySourceWithTheCurrentProfile)
{
    TaskList tasks;
    tasks.Add(MakeProbedTask("/in/a.avi", "/out/a.mp4"));
    tasks.Add(MakeProbedTask("/in/b.wmv", "/out/b.mp4"));
    tasks.Get(1)->route_flag = 1;
    tasks.Get(1)->subtitle_path = "/ignored.srt";
    ProfileRecord current = AutoRecord();
    current.TargetType = "mp4";
    current.BeforePara = "-threads 0";
    current.Para = "-fs";
    current.estimated_video_bit_rate = 500;

    BuildContext c = ContextWith({"/out/a (joined).mp4"});
    c.split_choice = "BD-50 (50GB)";
    c.running_output_total_kib = 99; // never reduces a merged run
    c.current_profile_path = "/ini/avchd_h264.ini";
    BuildResult result = BuildMergedArguments(tasks, current, c);
    ASSERT_TRUE(result.Ok()) << result.Error();
    EXPECT_EQ(
        result.args.Entries(),
        (Entries{"ffmain", "-threads", "0", "-ivs", "&new &file /in/a.avi", "-ias",
                 "&file /in/a.avi", "-ivs", "&new &dshow &file /in/b.wmv", "-ias",
                 "&file /in/b.wmv", "-fs", "46000000", "-b", "500", "/out/a (joined) (1).mp4"}));

    c.split_choice = "No split";
    current.Para = "-fs -g 12";
    auto entries = BuildMergedArguments(tasks, current, c).args.Entries();
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "-fs"), 0);
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "-g"), 0);
}

// Real runs need long vectors: a camera's day of clips joined, a path deep in a folder tree, a
// film with many audio tracks. Only what the engine cannot take (a NUL inside an entry) is refused.
TEST(ArgumentBuilder, vectorsGrowForLongPathsManyTracksAndFiftyClips)
{
    const std::string deep = "/in/" + std::string(300, 'd') + "/" + std::string(200, 'x') + ".avi";
    auto long_path = MakeProbedTask(deep, "/out/x.mp4");
    BuildResult result = BuildTaskArguments(*long_path, ContextWith());
    ASSERT_TRUE(result.Ok()) << result.Error();
    EXPECT_EQ(result.args[2], deep);

    auto many_tracks = MakeProbedTask("/in/a.ts", "/out/a.mp4", 60);
    for (auto &t : many_tracks->audio_tracks)
        t.selected = 1;
    result = BuildTaskArguments(*many_tracks, ContextWith());
    ASSERT_TRUE(result.Ok()) << result.Error();
    const auto &entries = result.args.Entries();
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "-map"), 61);
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "-newaudio"), 59);

    TaskList clips;
    for (int i = 0; i < 50; ++i)
        clips.Add(MakeProbedTask(
            "/card/PRIVATE/AVCHD/BDMV/STREAM/" + std::to_string(10000 + i) + ".MTS", "/out/x.mp4"));
    ProfileRecord current = AutoRecord();
    current.TargetType = "mp4";
    result = BuildMergedArguments(clips, current, ContextWith());
    ASSERT_TRUE(result.Ok()) << result.Error();
    const auto &merged = result.args.Entries();
    EXPECT_EQ(std::count(merged.begin(), merged.end(), "-ivs"), 50);
    EXPECT_EQ(merged.back(), "/out/10000 (joined).mp4");

    ArgumentVector args;
    EXPECT_TRUE(args.Append("-i"));
    EXPECT_FALSE(args.Append(std::string_view("a\0b", 3)));
    EXPECT_TRUE(args.Failed());
    EXPECT_FALSE(args.Append("later"));
    EXPECT_EQ(args.Count(), 1u);
}

// The conversion driver claims names: the engine then writes a path other than the final name.
TEST(ArgumentBuilder, writesTheChosenEnginePathAndKeepsTheFinalName)
{
    auto task = MakeProbedTask("/in/clip.avi", "/out/clip.mp4");
    BuildContext c = ContextWith();
    std::vector<std::string> offered;
    c.choose_output = [&](const std::function<std::string(unsigned)> &numbered) {
        offered = {numbered(0), numbered(1), numbered(2)};
        return OutputChoice{numbered(2), "/out/.clip.hidden.mp4", {}};
    };
    BuildResult result = BuildTaskArguments(*task, c);
    ASSERT_TRUE(result.Ok()) << result.Error();
    EXPECT_EQ(offered, (Entries{"/out/clip.mp4", "/out/clip (1).mp4", "/out/clip (2).mp4"}));
    EXPECT_EQ(result.args.Entries().back(), "/out/.clip.hidden.mp4");
    EXPECT_EQ(result.output_path, "/out/clip (2).mp4");
    EXPECT_EQ(task->destination_path, "/out/clip (2).mp4");

    c.choose_output = [](const std::function<std::string(unsigned)> &) {
        return OutputChoice{{}, {}, "cannot claim the name: Permission denied"};
    };
    result = BuildTaskArguments(*task, c);
    EXPECT_FALSE(result.Ok());
    EXPECT_EQ(result.Error(), "cannot claim the name: Permission denied");
}

TEST(OptionText, timeTextTruncatesToTenths)
{
    EXPECT_EQ(TimeText(65370000), "00:01:05.3");
    EXPECT_EQ(TimeText(0), "00:00:00.0");
    EXPECT_EQ(TimeText(-5), "00:00:00.0");
    EXPECT_EQ(TimeText(359999999), "00:05:59.9");
}
