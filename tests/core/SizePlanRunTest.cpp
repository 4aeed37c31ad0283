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
    run.request.custom_split_mb = 1;
    // An encoder far above the rate it was given, as a plan can never rule out: the limit is
    // the safety net.
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
    EXPECT_EQ(result.reason.rfind("cut at 1.0 MB: ", 0), 0u) << result.reason;
    EXPECT_NEAR(result.source_s, 12.0, 0.1);
    EXPECT_LT(result.kept_s, 6.0);
    EXPECT_EQ(fs::path(result.output).filename(), "clip (cut).avi");
    EXPECT_NEAR(Ffprobe(result.output).duration, result.kept_s, 0.5);
    EXPECT_TRUE(outcome.outputs.empty());
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_EQ(run.OutputFolder(), std::vector<std::string>{"clip (cut).avi"});
}
