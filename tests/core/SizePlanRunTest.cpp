// SPDX-License-Identifier: GPL-3.0-or-later
// Sizes a run promises, carried out by the driver on the real engine: outputs stopped at their
// size limit, batches planned onto a disc, per-file size targets.
#include "core/ConversionDriver.h"

#include "core/MediaProbe.h"
#include "core/ProfileApplier.h"
#include "core/ProfileFile.h"

#include "DriverFixtures.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

using namespace quillet;
using namespace quillet::test;

namespace {

namespace fs = std::filesystem;

struct SilentPrompter : Prompter
{
    void Tell(std::string_view, std::string_view, Icon) override { }
    bool Ask(std::string_view, std::string_view) override { return false; }
};

ProfileRecord BuiltInProfile(const char *file, const char *section)
{
    const std::string ini = std::string(QUILLET_SOURCE_DIR) + "/resources/ini/" + file;
    ProfileRecord record;
    ProfileFile::Read(section, record, ini);
    record.profile_path = ini;
    return record;
}

/// A run of the driver on the real engine, outputs into a folder of their own.
struct EngineRun
{
    TempDir dir;
    RecordingObserver observer;
    ConversionDriver driver{observer};
    TaskList tasks;
    RunRequest request;

    EngineRun()
    {
        request.output_folder = dir.file("out") + "/";
        fs::create_directories(request.output_folder);
    }

    void Add(const fs::path &source, const ProfileRecord &profile)
    {
        const BuiltInTexts texts;
        SilentPrompter prompter;
        auto task = CreateTask(source.string(), 0, -1, -1, texts, prompter);
        ApplyProfile(*task, profile, ApplyPath::AddFile,
                     {request.output_folder, [](const std::string &) { return false; }});
        tasks.Add(std::move(task));
        request.current_profile = profile;
    }

    std::vector<std::string> OutputFolder() const
    {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(request.output_folder))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

} // namespace

// The engine succeeds when it stops at -fs: the driver must not take the part for the film.
TEST(SizePlanRun, outputStoppedAtItsLimitIsACutFailureNeverUnderTheWholeName)
{
    EngineRun run;
    ClipRecipe recipe;
    recipe.seconds = 12;
    const fs::path clip = MakeClip(run.dir.path() / "clip.mkv", recipe);
    run.Add(clip, BuiltInProfile("hd_divxavi.ini", "HD DivX AVI (1280x720)"));
    run.request.split_choice = "Custom";
    run.request.custom_split_mb = 4;
    // An encoder far above the rate it was given, which no plan can rule out (nor can encoding
    // it again lower): the limit is the safety net.
    run.driver.SetEngine([](int argc, char **argv, ProgressCallback report) {
        for (int i = 0; i + 1 < argc; ++i)
            if (std::string_view(argv[i]) == "-b")
                argv[i + 1] = const_cast<char *>("20000");
        return ffmain(argc, argv, report);
    });

    const RunOutcome outcome = run.driver.Convert(run.tasks, run.request);

    ASSERT_EQ(outcome.results.size(), 1u);
    const TaskResult &result = outcome.results[0];
    EXPECT_EQ(result.status, TaskResult::Status::Failed);
    EXPECT_TRUE(result.cut);
    EXPECT_EQ(result.reason.rfind("cut at 4.0 MB: ", 0), 0u) << result.reason;
    EXPECT_NEAR(result.source_s, 12.0, 0.1);
    EXPECT_LT(result.kept_s, 11.0);
    EXPECT_EQ(fs::path(result.output).filename(), "clip (cut).avi");
    EXPECT_NEAR(Ffprobe(result.output).duration, result.kept_s, 0.5);
    EXPECT_TRUE(outcome.outputs.empty());
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_EQ(run.OutputFolder(), std::vector<std::string>{"clip (cut).avi"});
}

namespace {

/// Six clips of different length and complexity (grain of different strength), together more
/// than the 9 MB "disc" at the HD DivX profile's own rate, not at its lowest.
std::vector<fs::path> SixClips(const TempDir &dir)
{
    struct Clip
    {
        double seconds;
        int grain;
    };
    std::vector<fs::path> clips;
    int n = 0;
    for (const Clip c : {Clip{2, 0}, Clip{5, 8}, Clip{3, 0}, Clip{6, 4}, Clip{4, 10}, Clip{4, 0}}) {
        ClipRecipe recipe;
        recipe.seconds = c.seconds;
        if (c.grain > 0)
            recipe.output_options = {"-vf", "noise=alls=" + std::to_string(c.grain) + ":allf=t"};
        clips.push_back(MakeClip(dir.path() / ("clip" + std::to_string(++n) + ".mkv"), recipe));
    }
    return clips;
}

constexpr int kDiscMb = 9;
constexpr double kDiscBytes = kDiscMb * 1024000.0;

} // namespace

// Every output whole and as long as its source, the batch between 90 and 100 % of the disc.
TEST(SizePlanRun, batchIsPlannedOntoTheDiscWithEveryOutputWhole)
{
    EngineRun run;
    const auto clips = SixClips(run.dir);
    for (const auto &clip : clips)
        run.Add(clip, BuiltInProfile("hd_divxavi.ini", "HD DivX AVI (1280x720)"));
    run.request.split_choice = "Custom";
    run.request.custom_split_mb = kDiscMb;

    const RunOutcome outcome = run.driver.Convert(run.tasks, run.request);

    ASSERT_TRUE(outcome.failures.empty()) << outcome.failures[0].reason;
    ASSERT_EQ(outcome.results.size(), clips.size());
    double total = 0;
    for (std::size_t i = 0; i < clips.size(); ++i) {
        const TaskResult &result = outcome.results[i];
        SCOPED_TRACE(result.output);
        EXPECT_EQ(result.status, TaskResult::Status::Made);
        EXPECT_GT(result.planned_bytes, 0);
        EXPECT_NEAR(Ffprobe(result.output).duration, Ffprobe(clips[i]).duration, 0.2);
        total += static_cast<double>(fs::file_size(result.output));
        std::printf("[ planned %9.0f real %9.0f ]\n", result.planned_bytes,
                    static_cast<double>(result.output_bytes));
    }
    std::printf("[ total %.0f of %.0f: %.1f %% ]\n", total, kDiscBytes, total / kDiscBytes * 100);
    EXPECT_GE(total, 0.90 * kDiscBytes);
    EXPECT_LE(total, kDiscBytes);
}

TEST(SizePlanRun, mergedBatchIsOneWholeOutputSizedToTheDisc)
{
    EngineRun run;
    const auto clips = SixClips(run.dir);
    double seconds = 0;
    for (const auto &clip : clips) {
        run.Add(clip, BuiltInProfile("hd_divxavi.ini", "HD DivX AVI (1280x720)"));
        seconds += Ffprobe(clip).duration;
    }
    run.request.split_choice = "Custom";
    run.request.custom_split_mb = kDiscMb;
    run.request.merge = true;

    const RunOutcome outcome = run.driver.Convert(run.tasks, run.request);

    ASSERT_TRUE(outcome.failures.empty()) << outcome.failures[0].reason;
    ASSERT_EQ(outcome.outputs.size(), 1u);
    const double bytes = static_cast<double>(fs::file_size(outcome.outputs[0]));
    std::printf("[ merged %.0f of %.0f: %.1f %% ]\n", bytes, kDiscBytes, bytes / kDiscBytes * 100);
    EXPECT_NEAR(Ffprobe(outcome.outputs[0]).duration, seconds, 0.5);
    EXPECT_GE(bytes, 0.90 * kDiscBytes);
    EXPECT_LE(bytes, kDiscBytes);
}

// A profile's TargetSizeMB: every output between 90 and 100 % of it, whatever its source. The
// sharing profile's own 10 MB, scaled to 1 MB for clips of a few seconds.
TEST(SizePlanRun, eachOutputLandsOnItsProfilesTargetSize)
{
    EngineRun run;
    const std::string section = "Share, fits in 10 MB (768x432)";
    const fs::path ini = run.dir.path() / "share1mb.ini";
    {
        ProfileRecord record = BuiltInProfile("share.ini", section.c_str());
        ProfileFile::Write(section, record, ini.string());
        std::FILE *file = std::fopen(ini.c_str(), "a");
        ASSERT_NE(file, nullptr);
        std::fputs("TargetSizeMB=1\n", file);
        std::fclose(file);
    }
    ProfileRecord profile;
    ProfileFile::Read(section, profile, ini.string());
    profile.profile_path = ini.string();
    struct Source
    {
        double seconds;
        int width;
        int grain;
    };
    int n = 0;
    for (const Source s : {Source{6, 320, 0}, Source{8, 640, 8}, Source{5, 480, 16}}) {
        ClipRecipe recipe;
        recipe.seconds = s.seconds;
        recipe.width = s.width;
        recipe.height = s.width * 3 / 4;
        if (s.grain > 0)
            recipe.output_options = {"-vf", "noise=alls=" + std::to_string(s.grain) + ":allf=t"};
        run.Add(MakeClip(run.dir.path() / ("source" + std::to_string(++n) + ".mkv"), recipe),
                profile);
    }
    run.request.split_choice = "No split";

    const RunOutcome outcome = run.driver.Convert(run.tasks, run.request);

    ASSERT_TRUE(outcome.failures.empty()) << outcome.failures[0].reason;
    for (const TaskResult &result : outcome.results) {
        const double bytes = static_cast<double>(fs::file_size(result.output));
        std::printf("[ target 1000000 real %9.0f ]\n", bytes);
        EXPECT_GE(bytes, 900000) << result.output;
        EXPECT_LE(bytes, 1000000) << result.output;
    }
}
