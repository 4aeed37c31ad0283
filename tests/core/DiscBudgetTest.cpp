// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/DiscBudget.h"

#include "core/SizeModel.h"
#include "core/SizeTarget.h"
#include "texts/LanguageTable.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace quillet;
using namespace quillet::sizing;

namespace {

/// An output as a profile with fixed rates makes it: H.264 at 25 pictures a second in MP4 with
/// 128 kbit/s of AAC.
PlanTask Clip(double seconds, int width, int height, double video_kbps, double complexity = 1)
{
    PlanTask task;
    OutputShape &shape = task.shape;
    shape.container = Container::Mp4;
    shape.duration_s = seconds;
    shape.width = width;
    shape.height = height;
    shape.frame_rate = 25;
    shape.video_codec = "h264";
    shape.video = {RateKind::Fixed, video_kbps, 25};
    shape.audio = {{RateKind::Fixed, 128, 44100.0 / 1024}};
    task.natural_kbps = video_kbps;
    task.limits = LimitsOf(shape);
    task.complexity = complexity;
    return task;
}

/// Six clips of different length, size and complexity (a noisy picture, a still slide show ...)
/// whose profile rates make about 39 MB.
std::vector<PlanTask> SixClips()
{
    return {Clip(12, 640, 360, 3000, 1.8), Clip(30, 640, 360, 2500, 0.3), Clip(8, 320, 240, 900),
            Clip(30, 1280, 720, 5000),     Clip(5, 640, 360, 3000, 1.2),  Clip(15, 480, 320, 1200)};
}

const double kTwentyMb = CapacityOf("Custom", 20)->bytes;

double BitsPerPixel(const PlanTask &task, double kbps)
{
    return kbps * 1000 / (task.shape.width * task.shape.height * task.shape.frame_rate)
        / task.complexity;
}

double RealTotal(const BatchPlan &plan)
{
    return std::accumulate(plan.tasks.begin(), plan.tasks.end(), 0.0,
                           [](double sum, const TaskPlan &t) { return sum + t.bytes; });
}

} // namespace

TEST(DiscBudget, sharesACustomDiscByPictureLengthAndComplexity)
{
    const auto tasks = SixClips();
    const BatchPlan plan = PlanBatch(tasks, kTwentyMb);
    ASSERT_EQ(plan.status, PlanStatus::Planned);
    EXPECT_GE(plan.planned_bytes, 0.9 * kTwentyMb);
    EXPECT_LE(plan.planned_bytes, 20e6); // within 20 MB whatever a megabyte is taken to be
    EXPECT_DOUBLE_EQ(plan.planned_bytes, RealTotal(plan));

    double shared_bpp = -1;
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        SCOPED_TRACE(i);
        const TaskPlan &t = plan.tasks[i];
        EXPECT_GE(t.video_kbps, LowestKbps(tasks[i]));
        EXPECT_LE(t.video_kbps, tasks[i].natural_kbps); // a plan never raises a rate
        EXPECT_EQ(t.change_rate, t.video_kbps < tasks[i].natural_kbps);
        EXPECT_EQ(t.two_pass, t.change_rate);
        // Every task that no limit holds gets the same bits per pixel for its complexity.
        if (t.change_rate && !t.at_lowest) {
            if (shared_bpp < 0)
                shared_bpp = BitsPerPixel(tasks[i], t.video_kbps);
            EXPECT_NEAR(BitsPerPixel(tasks[i], t.video_kbps), shared_bpp, 0.002);
        }
    }
    // The noisy picture gets more bits for each pixel than the still slide show of its size.
    EXPECT_GT(plan.tasks[0].video_kbps, plan.tasks[1].video_kbps);
}

TEST(DiscBudget, leavesABatchThatFitsAsItsProfilesMakeIt)
{
    const BatchPlan plan = PlanBatch(SixClips(), CapacityOf("DVD-5 (4.7GB)", 0)->bytes);
    EXPECT_EQ(plan.status, PlanStatus::Unchanged);
    for (const auto &t : plan.tasks)
        EXPECT_FALSE(t.change_rate || t.two_pass);
}

TEST(DiscBudget, plansEveryTaskAtItsLowestWhenOnlyThatFits)
{
    auto tasks = SixClips();
    double lowest = 0;
    for (const auto &t : tasks)
        lowest += EstimateSize(WithVideoKbps(t.shape, LowestKbps(t))).Total();
    const BatchPlan plan = PlanBatch(tasks, lowest / 0.97);
    EXPECT_EQ(plan.status, PlanStatus::Planned);
    for (const auto &t : plan.tasks)
        EXPECT_TRUE(t.at_lowest);
}

TEST(DiscBudget, refusesABatchThatCannotFitEvenAtTheLowestRates)
{
    std::vector<PlanTask> tasks(14, Clip(3600, 1920, 1080, 8000));
    const DiscCapacity dvd5 = *CapacityOf("DVD-5 (4.7GB)", 0);
    const BatchPlan plan = PlanBatch(tasks, dvd5.bytes);
    ASSERT_EQ(plan.status, PlanStatus::CannotFit);
    EXPECT_GT(plan.lowest_bytes, dvd5.bytes);
    const BuiltInTexts texts;
    EXPECT_EQ(CannotFitText(texts, 14, plan.lowest_bytes, dvd5),
              "These 14 files need at least " + FormatSplitSize(plan.lowest_bytes)
                  + " at the lowest quality this profile allows; DVD-5 holds 4.2 GB");
    EXPECT_EQ(CannotFitText(texts, 1, 5.6e9, dvd5).rfind("This file needs at least 5.5 GB", 0), 0u);

    // Custom is named as the split list names it in the user's language; a disc keeps its name.
    LanguageTable german;
    german.ScanLanguageFolder(std::string(QUILLET_SOURCE_DIR) + "/resources/language/");
    german.SelectLanguage("Deutsch (German)");
    const std::string custom = CannotFitText(german, 1, 2e6, *CapacityOf("Custom", 1));
    EXPECT_NE(custom.find("Benutzerdefiniert"), std::string::npos) << custom;
    EXPECT_NE(CannotFitText(german, 1, 5.6e9, dvd5).find("DVD-5"), std::string::npos);
}

TEST(DiscBudget, plansAMergedRunAsOneOutputSizedToTheDisc)
{
    double seconds = 0;
    for (const auto &t : SixClips())
        seconds += t.shape.duration_s;
    const BatchPlan plan = PlanBatch({Clip(seconds, 640, 360, 2000)}, kTwentyMb);
    ASSERT_EQ(plan.status, PlanStatus::Planned);
    EXPECT_GE(plan.tasks[0].bytes, 0.9 * kTwentyMb);
    EXPECT_LE(plan.tasks[0].bytes, kTwentyMb);
}

TEST(DiscBudget, encodesAnOvershootAgainBeforeTheNextTask)
{
    DiscBudget budget(SixClips(), kTwentyMb);
    const TaskPlan first = budget.Plan().tasks[0];
    ASSERT_TRUE(first.change_rate);

    // 20 % over its share: the encoder kept too high a rate, so the next try asks less.
    NextStep step = budget.OutputFinished(0, first.bytes * 1.2);
    ASSERT_EQ(step.action, NextStep::Action::EncodeAgain);
    EXPECT_LT(step.video_kbps, first.video_kbps / 1.15);
    EXPECT_GE(step.video_kbps, LowestKbps(budget.Tasks()[0]));

    step = budget.OutputFinished(0, first.bytes * 0.99);
    EXPECT_EQ(step.action, NextStep::Action::Continue);
    EXPECT_TRUE(budget.Plan().tasks[0].made);
    EXPECT_LE(budget.Plan().planned_bytes, kTwentyMb);
}

TEST(DiscBudget, theRestAbsorbsWhatAnOutputMissedWithinTheTolerance)
{
    struct Case
    {
        double real_share; ///< the first output's real size over its planned one
        bool rest_shrinks;
    };
    for (const Case c : {Case{1.04, true}, Case{0.7, false}}) {
        DiscBudget budget(SixClips(), kTwentyMb);
        const BatchPlan before = budget.Plan();
        const double rest_before = before.planned_bytes - before.tasks[0].bytes;
        EXPECT_EQ(budget.OutputFinished(0, before.tasks[0].bytes * c.real_share).action,
                  NextStep::Action::Continue);
        const BatchPlan after = budget.Plan();
        const double rest_after = after.planned_bytes - after.tasks[0].bytes;
        EXPECT_EQ(rest_after < rest_before, c.rest_shrinks) << c.real_share;
        EXPECT_LE(after.planned_bytes, kAimFraction * kTwentyMb + 1024);
    }
}

TEST(DiscBudget, encodesAgainAnOutputThatLeavesTheRestNoRoom)
{
    // Fits as the profiles make it, but the first output comes out far larger than its model.
    std::vector<PlanTask> tasks = {Clip(60, 640, 360, 1000), Clip(60, 640, 360, 1000)};
    DiscBudget budget(tasks, kTwentyMb);
    ASSERT_EQ(budget.Plan().status, PlanStatus::Unchanged);
    const double huge = 19.0 * kSplitMegabyteBytes;
    NextStep step = budget.OutputFinished(0, huge);
    ASSERT_EQ(step.action, NextStep::Action::EncodeAgain);
    EXPECT_LT(step.video_kbps, 1000);
    // It gives up after kMaxEncodesEach encodes in all, and the plan then says so.
    for (int i = 1; i < kMaxEncodesEach; ++i)
        step = budget.OutputFinished(0, huge);
    EXPECT_EQ(step.action, NextStep::Action::Continue);
    EXPECT_EQ(budget.Plan().status, PlanStatus::CannotFit);
}

TEST(DiscBudget, aTaskWithoutOutputLeavesItsShareToTheRest)
{
    DiscBudget budget(SixClips(), kTwentyMb);
    const double before = budget.Plan().tasks[3].video_kbps;
    budget.OutputMissing(0);
    EXPECT_GT(budget.Plan().tasks[3].video_kbps, before);
}

TEST(DiscBudget, readsCapacitiesAndScopesFromTheSplitChoice)
{
    EXPECT_DOUBLE_EQ(CapacityOf("DVD-5 (4.7GB)", 1)->bytes, 4200000.0 * 1024);
    EXPECT_EQ(CapacityOf("BD-50 (50GB)", 1)->name, "BD-50");
    EXPECT_DOUBLE_EQ(CapacityOf("Custom", 20)->bytes, 20 * 1000 * 1024.0);
    EXPECT_FALSE(CapacityOf("Custom", 0));
    EXPECT_FALSE(CapacityOf("No split", 20));

    ProfileRecord divx;
    divx.profile_path = "/ini/hd_divxavi.ini";
    divx.Para = "-vtag DX50 -fs";
    EXPECT_EQ(ScopeOf(divx, "Custom", 20, true), SplitScope::WholeBatch);
    EXPECT_EQ(ScopeOf(divx, "Custom", 20, false), SplitScope::EachOutput);
    EXPECT_EQ(ScopeOf(divx, "No split", 20, true), SplitScope::None);
    divx.Para = "-vtag DX50";
    EXPECT_EQ(ScopeOf(divx, "DVD-5 (4.7GB)", 20, true), SplitScope::None);
}

TEST(SizeTarget, landsBetween90And100PercentOfTheTarget)
{
    const double five_mb = 5 * kTargetMegabyteBytes;
    for (const PlanTask &task :
         {Clip(12, 640, 360, 1500), Clip(60, 640, 360, 2700), Clip(30, 320, 240, 450)}) {
        const TargetPlan target = PlanForTarget(task, five_mb);
        EXPECT_EQ(target.status, TargetStatus::OnTarget);
        EXPECT_GE(target.plan.bytes, 0.9 * five_mb);
        EXPECT_LE(target.plan.bytes, five_mb);
        EXPECT_TRUE(target.plan.two_pass);
    }
}

TEST(SizeTarget, saysWhenTheTargetCannotBeMet)
{
    const double five_mb = 5 * kTargetMegabyteBytes;
    EXPECT_EQ(PlanForTarget(Clip(7200, 1280, 720, 2700), five_mb).status, TargetStatus::TooLong);
    PlanTask ipod = Clip(10, 320, 240, 450);
    ipod.limits.highest_kbps = 768; // H.264 level 1.3
    const TargetPlan capped = PlanForTarget(ipod, five_mb);
    EXPECT_EQ(capped.status, TargetStatus::Capped);
    EXPECT_DOUBLE_EQ(capped.plan.video_kbps, 768);
    PlanTask sound = Clip(60, 0, 0, 0);
    sound.shape.video = {};
    EXPECT_EQ(PlanForTarget(sound, five_mb).status, TargetStatus::NoVideo);
}

TEST(SizeTarget, readsTheTargetFromTheProfile)
{
    test::TempDir dir;
    const auto ini = test::WriteFile(dir.path() / "share.ini",
                                     "[Mail]\nTargetSizeMB=5\n[Broken]\nTargetSizeMB=five\n"
                                     "[Negative]\nTargetSizeMB=-3\n[None]\nPara=\n");
    EXPECT_DOUBLE_EQ(TargetBytesOf(ini, "mail"), 5e6);
    for (const char *section : {"Broken", "Negative", "None", "Missing"})
        EXPECT_DOUBLE_EQ(TargetBytesOf(ini, section), 0) << section;
}
