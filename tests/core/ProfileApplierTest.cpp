// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ProfileApplier.h"

#include "TaskFixtures.h"

#include <gtest/gtest.h>

#include <set>

using namespace quillet;
using quillet::test::MakeProbedTask;

namespace {

ProfileRecord Levels(float l1, float l2, float l3, int choice)
{
    ProfileRecord r;
    r.nVideoBitRateLevel = l1;
    r.nVideoBitRateLevel2 = l2;
    r.nVideoBitRateLevel3 = l3;
    r.nVideoRiszeOption = choice;
    r.TargetType = "mp4";
    return r;
}

ProfileRecord Source(int width, int height, float aspect)
{
    ProfileRecord r;
    r.source_width = width;
    r.source_height = height;
    r.source_display_aspect = aspect;
    return r;
}

OutputPlace Place(const std::set<std::string> &existing = {})
{
    return {"/out/", [existing](const std::string &p) { return existing.count(p) > 0; }};
}

} // namespace

TEST(ProfileApplier, estimatesTheVideoBitRateFromTheFrameSize)
{
    EXPECT_EQ(EstimateVideoBitRate(Levels(3, 0, 0, 5)), 225);
    EXPECT_EQ(EstimateVideoBitRate(Levels(3, 0, 0, 6)), 900);
    EXPECT_EQ(EstimateVideoBitRate(Levels(0, 2, 100, 5)),
              (4 * 1024 + 100 * 1024) * 0.9765625 / 1000);

    ProfileRecord source = Levels(1, 0, 0, 0);
    source.source_width = 1918;
    source.source_height = 1080;
    int w = 0, h = 0;
    EstimateFrameSize(source, w, h);
    EXPECT_EQ(w, 1920);
    EXPECT_EQ(h, 1080);
    EXPECT_EQ(EstimateVideoBitRate(source), 2025);

    ProfileRecord custom = Levels(1, 0, 0, 9);
    custom.nVideoCustomSizeX = 301;
    custom.nVideoCustomSizeY = 201;
    EstimateFrameSize(custom, w, h);
    EXPECT_EQ(w, 304);
    EXPECT_EQ(h, 201);

    EXPECT_EQ(EstimateVideoBitRate(Levels(-1, 0, 0, 5)), 0);
    EXPECT_EQ(EstimateVideoBitRate(Levels(3, 0, 0, 0)), 0); // no source size known
}

TEST(ProfileApplier, letterboxesAWideSourceForAPalFrame)
{
    ProfileRecord r = Source(1920, 800, 0);
    r.nVideoRiszeOption = 8; // 720x576
    ApplyAutomaticAspect(r, 1);
    EXPECT_FLOAT_EQ(r.source_display_aspect, 2.4f);
    EXPECT_EQ(r.nAspect, 2);
    EXPECT_EQ(r.bVideoEnablePad, 1);
    EXPECT_EQ(r.nVideoPadTop, 74);
    EXPECT_EQ(r.nVideoPadBottom, 74);
    EXPECT_EQ(r.nVideoPadLeft, 0);
    EXPECT_EQ(r.nVideoPadRight, 0);
    EXPECT_EQ(r.nVideoPadColor, 0);
}

TEST(ProfileApplier, narrowFramesTakeWideSourcesAsFourThirdsWithBars)
{
    ProfileRecord r = Source(1920, 1080, 1.7778f);
    r.nVideoRiszeOption = 3; // cif, 352x288
    ApplyAutomaticAspect(r, 4);
    EXPECT_EQ(r.nAspect, 1);
    EXPECT_EQ(r.bVideoEnablePad, 1);
    EXPECT_EQ(r.nVideoPadTop, 36); // trunc(288 - 384 / 1.7778) = 72
    EXPECT_EQ(r.nVideoPadLeft, 0);

    // A tall source is pillarboxed: the pads go left and right, each half raised to even.
    ProfileRecord tall = Source(480, 640, 0);
    tall.nVideoRiszeOption = 7; // 720x480
    ApplyAutomaticAspect(tall, 0);
    EXPECT_EQ(tall.nAspect, 1);
    EXPECT_EQ(tall.nVideoPadLeft, 158);
    EXPECT_EQ(tall.nVideoPadRight, 158);
    EXPECT_EQ(tall.nVideoPadTop, 0);
}

namespace {

/// The display aspect of the picture inside the bars, as a player shows it.
double PictureAspect(const ProfileRecord &r)
{
    int w = 0, h = 0;
    if (!OutputFrame(r, w, h)) {
        w = r.source_width + r.nVideoPadLeft + r.nVideoPadRight;
        h = r.source_height + r.nVideoPadTop + r.nVideoPadBottom;
    }
    const double frame = r.nAspect == 1 ? 4.0 / 3.0 : 16.0 / 9.0;
    const double inner_w = w - r.nVideoPadLeft - r.nVideoPadRight;
    const double inner_h = h - r.nVideoPadTop - r.nVideoPadBottom;
    return frame * (inner_w / w) / (inner_h / h);
}

} // namespace

TEST(ProfileApplier, barsAreWorkedOutForTheOutputsOwnFrame)
{
    struct Case
    {
        int choice;
        int custom_x;
        int custom_y;
        int index;
    };
    // iPad 1024x768, iPod 320x240, Apple TV HD 1280x720, NTSC DVD, cif, original size.
    const Case cases[] = {{9, 1024, 768, 1}, {5, 0, 0, 1}, {9, 1280, 720, 1}, {7, 0, 0, 0},
                          {3, 0, 0, 5},      {0, 0, 0, 1}, {9, 300, 200, 1}};
    const std::pair<int, int> sources[] = {{1920, 800}, {720, 1280}, {1920, 1040}, {480, 640}};
    for (const Case &c : cases) {
        for (auto [w, h] : sources) {
            SCOPED_TRACE(std::to_string(c.choice) + " " + std::to_string(c.custom_x) + " "
                         + std::to_string(w) + "x" + std::to_string(h));
            ProfileRecord r = Source(w, h, 0);
            r.nVideoRiszeOption = c.choice;
            r.nVideoCustomSizeX = c.custom_x;
            r.nVideoCustomSizeY = c.custom_y;
            ApplyAutomaticAspect(r, c.index);
            ASSERT_EQ(r.bVideoEnablePad, 1);
            EXPECT_NEAR(PictureAspect(r) / (static_cast<double>(w) / h), 1.0, 0.02);
            int fw = 0, fh = 0;
            if (OutputFrame(r, fw, fh)) {
                EXPECT_GT(fw - r.nVideoPadLeft - r.nVideoPadRight, 0);
                EXPECT_GT(fh - r.nVideoPadTop - r.nVideoPadBottom, 0);
            }
        }
    }

    // Original size keeps the picture and grows the frame: 1920x800 becomes 1920x1080 at 16:9.
    ProfileRecord original = Source(1920, 800, 0);
    ApplyAutomaticAspect(original, 1);
    EXPECT_EQ(original.nAspect, 2);
    EXPECT_EQ(original.nVideoPadTop + original.nVideoPadBottom, 280);
    EXPECT_EQ(original.nVideoPadLeft, 0);

    // A size choice the builder does not know uses the index's frame.
    ProfileRecord unknown = Source(1920, 800, 0);
    unknown.nVideoRiszeOption = 12;
    ApplyAutomaticAspect(unknown, 1);
    EXPECT_EQ(unknown.nVideoPadTop, 74);
}

TEST(ProfileApplier, matchingAspectsKeepTheProfilesPads)
{
    ProfileRecord r = Source(720, 576, 1.33f);
    r.bVideoEnablePad = 1;
    r.nVideoPadTop = 8;
    ApplyAutomaticAspect(r, 0);
    EXPECT_EQ(r.nAspect, 1);
    EXPECT_EQ(r.nVideoPadTop, 8);

    ProfileRecord exact = Source(1280, 720, 0); // 16:9 by its pixels
    ApplyAutomaticAspect(exact, 7);
    EXPECT_EQ(exact.nAspect, 2);
    EXPECT_EQ(exact.bVideoEnablePad, 0);

    ProfileRecord unknown = Source(0, 0, 0);
    ApplyAutomaticAspect(unknown, 0);
    EXPECT_EQ(unknown.nAspect, 0);
    ApplyAutomaticAspect(unknown, 8); // no such frame
    EXPECT_EQ(unknown.nAspect, 0);
}

TEST(ProfileApplier, pathsDecideAspectSourceAndOutputName)
{
    auto task = MakeProbedTask("/in/holiday.avi", "/elsewhere/old.avi");
    task->source_width = 720;
    task->source_height = 576;
    task->source_display_aspect = 1.7777f;
    task->aspect_index = 1;
    ProfileRecord current = Levels(3, 0, 0, 5);

    ApplyProfile(*task, current, ApplyPath::AddFile, Place({"/out/holiday.mp4"}));
    EXPECT_EQ(task->destination_path, "/out/holiday (1).mp4");
    EXPECT_EQ(task->settings.nAspect, 2); // the probe's aspect: 16:9
    EXPECT_EQ(task->settings.estimated_video_bit_rate, 225);
    EXPECT_EQ(task->settings.source_width, 720);

    ApplyProfile(*task, current, ApplyPath::ProfilePick, Place());
    EXPECT_EQ(task->destination_path, "/out/holiday.mp4");
    EXPECT_EQ(task->settings.nAspect, 1); // other paths judge by the pixels: 720x576 is 5:4

    current.TargetType = "m4v";
    ApplyProfile(*task, current, ApplyPath::ApplyToAll, Place());
    EXPECT_EQ(task->destination_path, "/out/holiday.mp4");
    EXPECT_EQ(task->settings.TargetType.view(), "m4v");
}

TEST(ProfileApplier, aProfilePickChangesTasksOnlyForASingleSelection)
{
    TaskList tasks;
    tasks.Add(MakeProbedTask("/in/a.avi", ""));
    tasks.Add(MakeProbedTask("/in/b.avi", ""));
    ProfileRecord current = Levels(0, 0, 0, 0);
    current.TargetType = "m4a";

    EXPECT_FALSE(ApplyOnProfilePick(tasks, {0, 1}, true, current, Place()));
    EXPECT_FALSE(ApplyOnProfilePick(tasks, {}, true, current, Place()));
    EXPECT_EQ(tasks.Get(0)->destination_path, "");

    EXPECT_TRUE(ApplyOnProfilePick(tasks, {1}, false, current, Place()));
    EXPECT_EQ(tasks.Get(0)->destination_path, "");
    EXPECT_EQ(tasks.Get(1)->destination_path, "/out/b.m4a");

    EXPECT_TRUE(ApplyOnProfilePick(tasks, {1}, true, current, Place()));
    EXPECT_EQ(tasks.Get(0)->destination_path, "/out/a.m4a");
}

// The column counts what the run writes: the chosen tracks only, and says when it only guesses.
TEST(ProfileApplier, estimatedSizeCountsTheChosenTracksAndMarksGuesses)
{
    auto task = MakeProbedTask("/in/a.mkv", "", 2);
    task->duration_s = 90;
    task->settings.bVideoCustomBitRate = 1;
    task->settings.nVideoCustomBitRate = 1000;
    task->settings.bAudioCustomBitRate = 1;
    task->settings.nAudioCustomBitRate = 128;
    task->audio_tracks[1].selected = 1;
    const double both = EstimatedSizeMb(*task);
    task->audio_tracks[1].selected = 0;
    const double one = EstimatedSizeMb(*task);
    EXPECT_LT(one, both);
    EXPECT_FALSE(EstimateIsApproximate(*task));
    EXPECT_EQ(EstimatedSizeText(*task).find('~'), std::string::npos);
    task->settings.bVideoCustomBitRate = 0;
    task->settings.estimated_video_bit_rate = 0; // -b 0: the encoder's own quality
    EXPECT_TRUE(EstimateIsApproximate(*task));
    EXPECT_EQ(EstimatedSizeText(*task).front(), '~');
    EXPECT_EQ(EstimatedSizeText(*task, 2 * 1048576.0), "2.00 MB");
}
