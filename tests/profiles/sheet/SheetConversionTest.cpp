// SPDX-License-Identifier: GPL-3.0-or-later
// What the sheet makes of a task is what the engine makes of the file.
#include "profiles/sheet/ProfileSettingsCommand.h"

#include "controls/CSkinTabCtrl.h"
#include "core/ConversionDriver.h"
#include "core/MediaProbe.h"
#include "core/ProfileApplier.h"
#include "core/TaskList.h"
#include "profiles/sheet/CExPropertySheet.h"
#include "texts/Texts.h"

#include "MediaFixtures.h"
#include "SheetTestSupport.h"
#include "TempDir.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace quillet;
using namespace quillet::test;

namespace {

/// A front end that only collects what the run reports.
struct QuietObserver : RunObserver
{
    std::vector<std::string> told;
    void Tell(std::string_view text, std::string_view, Icon) override { told.emplace_back(text); }
    bool Ask(std::string_view, std::string_view) override { return false; }
    void SetConverting(bool) override { }
    void SetCurrentOutput(const std::string &) override { }
    void ShowProgress(int) override { }
    void PumpEvents() override { }
    void LogCommandLine(const std::string &) override { }
    void OutputFinished(const std::string &) override { }
    void ShowOutput(const std::string &) override { }
};

} // namespace

TEST(SheetConversion, aTaskSetTo640x480WithoutAudioConvertsSo)
{
    TempDir dir;
    ClipRecipe recipe;
    recipe.seconds = 1;
    recipe.width = 320;
    recipe.height = 240;
    recipe.audio_streams = 1;
    const auto clip = MakeClip(dir.path() / "clip.mkv", recipe);
    std::filesystem::create_directories(dir.path() / "ini");
    std::filesystem::create_directories(dir.path() / "out");
    std::filesystem::copy_file(SourceIni("ipadh264.ini"), dir.path() / "ini" / "ipadh264.ini");
    ProfileRecord current
        = LoadProfile(dir.path() / "ini" / "ipadh264.ini", "iPad Video H.264 (1024x768)");

    BuiltInTexts texts;
    RecordingPrompter prompter;
    TaskList tasks;
    auto task = CreateTask(clip.string(), RouteFlag(clip.string()), 0, 0, texts, prompter);
    ASSERT_EQ(task->source_width, 320);
    task->aspect_index = 1; // what the remembered default profile gives every new task
    const OutputPlace place{(dir.path() / "out").string() + "/",
                            [](const std::string &path) { return std::filesystem::exists(path); }};
    ApplyProfile(*task, current, ApplyPath::AddFile, place);
    tasks.Add(std::move(task));

    UiScript script;
    script.Then<CExPropertySheet>([](CExPropertySheet *sheet) {
        Click(sheet->findChild<QCheckBox *>("disableAudio"));
        ClickTab(sheet->TabStrip(), CExPropertySheet::kResizePage);
        Click(sheet->findChild<QRadioButton *>("size6")); // 640 x 480
        Click(sheet->OkButton());
    });
    const auto result
        = RunProfileSettings(nullptr, current, tasks, {0}, dir.path().string(), prompter, texts);
    ASSERT_EQ(result.outcome, ProfileSettingsResult::Outcome::Applied);

    QuietObserver observer;
    ConversionDriver driver(observer);
    RunRequest request;
    request.split_choice = "No split";
    request.output_folder = place.folder;
    request.program_folder = ProgramDir().string();
    request.current_profile = current;
    request.total_estimated_mb = TotalEstimatedSizeMb(tasks);
    const RunOutcome outcome = driver.Convert(tasks, request);
    ASSERT_TRUE(outcome.failures.empty()) << outcome.failures.front().reason;
    ASSERT_EQ(outcome.outputs.size(), 1u);

    const ProbedFile probed = Ffprobe(outcome.outputs.front());
    ASSERT_TRUE(probed.ok);
    ASSERT_NE(probed.first("video"), nullptr);
    EXPECT_EQ(probed.first("video")->width, 640);
    EXPECT_EQ(probed.first("video")->height, 480);
    EXPECT_EQ(probed.count("audio"), 0);
}
