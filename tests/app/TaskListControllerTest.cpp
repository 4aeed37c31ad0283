// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TaskListController.h"

#include "app/ConverterApp.h"
#include "core/ProfileApplier.h"

#include "FakeTaskListHost.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

using namespace quillet;
using quillet::test::ClipRecipe;
using quillet::test::FakeTaskListHost;
using quillet::test::MakeClip;
using quillet::test::TempDir;
using quillet::test::WriteFile;

namespace {

struct Fixture
{
    TempDir program;
    TempDir settings;
    TempDir media;
    RegistryAccess registry{platform::SettingsStore(settings.path())};
    ConverterApp app{registry, program.path().string()};
    TaskList tasks;
    FakeTaskListHost host;
    MainState state;
    BuiltInTexts texts;
    TaskListController controller{tasks, host, app, state, texts};

    Fixture()
    {
        app.FillTexts();
        app.LoadSettings();
        state.current_profile.TargetType = "mp4";
        state.current_profile.nVideoBitRateLevel = 3;
        state.current_profile.nVideoRiszeOption = 5;
    }

    std::vector<std::string> SourceNames() const
    {
        std::vector<std::string> names;
        for (const auto &t : tasks)
            names.push_back(std::filesystem::path(t->source_path).filename().string());
        return names;
    }

    double SumOfRows() const
    {
        double sum = 0;
        for (const auto &row : host.rows)
            sum += std::atof(row[3].c_str());
        return sum;
    }
};

std::unique_ptr<Task> TimedTask(const std::string &name, float seconds, int video_kbps)
{
    auto task = std::make_unique<Task>();
    task->source_path = "/in/" + name;
    task->destination_path = "/out/" + name;
    task->duration_s = seconds;
    task->audio_tracks.push_back({0, 1, "Audio"});
    task->settings.estimated_video_bit_rate = video_kbps;
    return task;
}

} // namespace

TEST(TaskListController, folderScanRecursesOnlyWhenAsked)
{
    Fixture f;
    WriteFile(f.media.path() / "a.MP4", "x");
    WriteFile(f.media.path() / "b.txt", "x");
    WriteFile(f.media.path() / "README", "x");
    WriteFile(f.media.path() / "sub" / "c.avi", "x");
    std::filesystem::create_directory_symlink(f.media.path(), f.media.path() / "sub" / "loop");
    // What a killed conversion leaves in an output folder is no media to convert.
    WriteFile(f.media.path() / ".a.quillet-4711-0.mp4", "half");
    WriteFile(f.media.path() / ".a.mp4.quillet-claim", "");
    // A link that leads nowhere but to itself must not end the scan early nor stop it.
    std::filesystem::create_symlink(f.media.path() / "self.avi", f.media.path() / "self.avi");

    f.host.folder_to_choose = f.media.path().string();
    f.controller.AddFolder();
    const auto top = f.SourceNames();
    EXPECT_EQ(std::multiset<std::string>(top.begin(), top.end()),
              (std::multiset<std::string>{"a.MP4", "self.avi"}));
    EXPECT_EQ(f.host.asked, (std::vector<std::string>{"Do you want search sub folder?"}));

    f.controller.RemoveAll();
    f.host.answers = {true};
    f.controller.AddFolder();
    const auto found = f.SourceNames();
    std::multiset<std::string> names(found.begin(), found.end());
    EXPECT_EQ(names, (std::multiset<std::string>{"a.MP4", "c.avi", "self.avi"}));
    EXPECT_EQ(f.host.rows.size(), 3u);
    EXPECT_EQ(f.host.selected, (std::vector<int>{2}));
    // Files that cannot be read still become tasks and rows.
    const auto self = std::find(found.begin(), found.end(), "self.avi") - found.begin();
    EXPECT_EQ(f.tasks.Get(static_cast<int>(self))->information.view(), "Cannot open the file");
    EXPECT_EQ(f.host.wait_depth, 0);

    // Files that cannot be read still become tasks and rows.
    EXPECT_EQ(f.tasks.Get(0)->information.view(), "Cannot open the file");
    EXPECT_EQ(f.host.rows[0][3], "0.00 MB");
}

TEST(TaskListController, droppedPathsPassTheExtensionTest)
{
    Fixture f;
    f.controller.AddDroppedFiles(
        {"/drop/x.m", "/drop/x.mp3", "/drop/CLIP.M2T", "/drop/folder", "/drop/film.mkv"});
    // Only a whole entry of the accepted list counts: ".m" is no entry, although ".mpg" starts so;
    // sound alone is taken.
    EXPECT_EQ(f.SourceNames(), (std::vector<std::string>{"x.mp3", "CLIP.M2T", "film.mkv"}));
    EXPECT_EQ(f.host.rows[2][4], "film.mp4");
    EXPECT_EQ(f.tasks.Get(1)->destination_path, f.app.OutputFolder() + "CLIP.mp4");
}

TEST(TaskListController, fileDialogAddsInOrderAndRemembersWhereItWas)
{
    Fixture f;
    EXPECT_TRUE(f.host.files_to_choose.empty());
    f.controller.AddFilesFromDialog();
    EXPECT_EQ(f.host.dialog_start_seen, f.app.ProgramFolder());
    EXPECT_EQ(f.tasks.Count(), 0);

    f.host.files_to_choose = {"/m/5.avi", "/m/1.avi", "/m/3.avi"};
    f.controller.AddFilesFromDialog();
    EXPECT_EQ(f.SourceNames(), (std::vector<std::string>{"5.avi", "1.avi", "3.avi"}));
    f.host.files_to_choose = {"/other/one.mkv"};
    f.controller.AddFilesFromDialog();
    EXPECT_EQ(f.host.dialog_start_seen, "/m");
    f.controller.AddFilesFromDialog();
    EXPECT_EQ(f.host.dialog_start_seen, "/other/one.mkv");
    EXPECT_EQ(f.tasks.Count(), 5);
}

TEST(TaskListController, totalsFollowRemovalsAndMoves)
{
    Fixture f;
    ClipRecipe recipe;
    recipe.width = 64;
    recipe.height = 48;
    for (int i = 1; i <= 4; ++i) {
        recipe.seconds = i;
        f.controller.AddSourceFile(MakeClip(f.media.path() / (std::to_string(i) + ".mp4"), recipe));
    }
    f.controller.AfterListChange();
    EXPECT_NEAR(f.state.total_size_mb, f.SumOfRows(), 0.02);
    EXPECT_GT(f.state.total_size_mb, 0);
    EXPECT_EQ(f.host.rows[2][1], "00:00:03");
    EXPECT_EQ(f.host.rows[2][2], "00:00:03");

    f.host.selected = {0};
    f.controller.MoveSelectedUp(); // the first row cannot move up
    EXPECT_EQ(f.SourceNames().front(), "1.mp4");
    f.controller.MoveSelectedDown();
    EXPECT_EQ(f.SourceNames(), (std::vector<std::string>{"2.mp4", "1.mp4", "3.mp4", "4.mp4"}));
    EXPECT_EQ(f.host.selected, (std::vector<int>{1}));
    EXPECT_EQ(f.host.rows[1][0], "1.mp4");
    f.host.selected = {3};
    f.controller.MoveSelectedDown();
    EXPECT_EQ(f.SourceNames().back(), "4.mp4");

    f.host.selected = {0, 2};
    f.controller.RemoveSelected();
    EXPECT_EQ(f.SourceNames(), (std::vector<std::string>{"1.mp4", "4.mp4"}));
    ASSERT_EQ(f.host.rows.size(), 2u);
    EXPECT_EQ(f.host.rows[1][0], "4.mp4");
    EXPECT_NEAR(f.state.total_size_mb, f.SumOfRows(), 0.01);
    EXPECT_NEAR(f.state.total_size_mb, TotalEstimatedSizeMb(f.tasks), 1e-9);

    f.controller.RemoveAll();
    EXPECT_TRUE(f.host.rows.empty());
    EXPECT_EQ(f.host.summary, "Please Add File(s)");
}

// Every row of a merged batch shows the joined output, which is named after the first row.
TEST(TaskListController, mergedRowsShowTheJoinedOutputNamedAfterTheFirstRow)
{
    Fixture f;
    f.app.merge_flag = true;
    for (const char *name : {"a.avi", "b.avi", "c.avi"})
        f.controller.AddSourceFile(WriteFile(f.media.path() / name, "x").string());
    for (std::size_t row = 0; row < 3; ++row)
        EXPECT_EQ(f.host.rows[row][4], "a (joined).mp4") << row;
    f.host.selected = {1};
    f.controller.MoveSelectedUp();
    for (std::size_t row = 0; row < 3; ++row)
        EXPECT_EQ(f.host.rows[row][4], "b (joined).mp4") << row;
    f.app.merge_flag = false;
    f.controller.RefreshAllRows();
    EXPECT_EQ(f.host.rows[2][4], "c.mp4");
}

TEST(TaskListController, summaryShowsTotalsAndDiscFill)
{
    Fixture f;
    f.tasks.Add(TimedTask("a.avi", 90, 782));
    f.tasks.Add(TimedTask("b.avi", 90, 783));
    for (int i = 0; i < 2; ++i)
        f.host.InsertRow(i, "");
    f.host.split_choice = "DVD-5 (4.7GB)";
    f.controller.RefreshAllRows();
    f.controller.ShowSummary(0);
    EXPECT_EQ(f.host.summary,
              "Total: 2 | Length: 00:03:00.0 | Total Size: 16.92 MB | DVD-5 (4.7GB)");
    EXPECT_EQ(f.host.summary_position, 0); // 16.9 MB of 4200 MB

    f.tasks.Get(0)->settings.estimated_video_bit_rate = 400000;
    f.controller.ShowSummary(0);
    EXPECT_EQ(f.host.summary_position, 100);

    f.host.split_choice = "Custom";
    f.host.custom_split_mb = 650;
    f.controller.ShowSummary(0);
    EXPECT_NE(f.host.summary.find("| Split size: 650 MB"), std::string::npos);
    f.host.split_choice = "BD-25 (25GB)";
    f.controller.ShowSummary(0);
    EXPECT_EQ(f.host.summary_position, static_cast<int>(f.state.total_size_mb * 100 / 23000));
}

TEST(TaskListController, convertingSummaryShowsTimeLeft)
{
    Fixture f;
    f.tasks.Add(TimedTask("a.avi", 90, 782));
    uint32_t now = 5000;
    f.controller.SetTickSource([&] { return now; });
    f.state.converting = true;
    f.state.current_output_path = "/out/My Film.mp4";

    f.controller.ShowSummary(0);
    EXPECT_EQ(f.host.summary, "Start converting");
    now += 30000;
    f.controller.ShowSummary(25);
    EXPECT_EQ(f.host.summary,
              "Completed: 25% | Time Left: 00:01:30 | Destination File: My Film.mp4");
    EXPECT_EQ(f.host.summary_position, 25);
}
