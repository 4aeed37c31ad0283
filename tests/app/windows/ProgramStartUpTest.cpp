// SPDX-License-Identifier: GPL-3.0-or-later
// The windowed program's start-up: settings, languages, the skin, a missing Matroska library,
// and the files of its command line.
#include "ProgramStartUp.h"
#include "VeneerBinding.h"
#include "WindowHarness.h"

#include <QApplication>
#include <QDir>

#include <gtest/gtest.h>

using namespace quillet;
using namespace quillet::test;
namespace fs = std::filesystem;

TEST(ProgramStartUp, aMissingMatroskaLibraryIsToldAndStartUpGoesOn)
{
    WindowHarness h;
    VeneerBinding veneer;
    ProgramStartUp start_up(h.app, h.languages, h.matroska, veneer, h.prompter);
    start_up.SetLibraryNames("no-such-mkvextract", "veneer");
    start_up.StartUp(0x0407); // a German system
    EXPECT_EQ(h.prompter.told, std::vector<std::string>{ProgramStartUp::kMatroskaLoadFailed});
    EXPECT_FALSE(h.matroska.Loaded());
    // The rest of start-up ran: settings written, output folder made, language chosen.
    EXPECT_EQ(h.SettingText("ConvertDir"), h.ProgramFolder() + "/output/");
    EXPECT_TRUE(fs::is_directory(h.ProgramFolder() + "/output"));
    EXPECT_EQ(h.SettingText("language"), "Deutsch (German)");
    EXPECT_EQ(h.languages.CurrentLanguageName(), "Deutsch (German)");
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(217, 234, 255));
    EXPECT_TRUE(veneer.Loaded());
    start_up.ShutDown();
}

TEST(ProgramStartUp, commandLineFilesBecomeAbsolutePathsAndOptionsAreLeftOut)
{
    const QString here = QDir::currentPath();
    const auto files = ProgramStartUp::FilesFromArguments(
        {"-style", "clip one.mp4", "/abs/two.mkv", "file:///abs/three%20x.avi", "--", "-dash.mp4"});
    EXPECT_EQ(files,
              (std::vector<std::string>{here.toStdString() + "/clip one.mp4", "/abs/two.mkv",
                                        "/abs/three x.avi", here.toStdString() + "/-dash.mp4"}));
}

TEST(ProgramStartUp, filesGivenAtStartJoinTheListAsDroppedFilesDo)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    const fs::path clip = h.MediaFolder() / "given.mp4";
    fs::copy_file(GeneratedClip("clip.mp4"), clip);
    const fs::path text = WriteFile(h.MediaFolder() / "notes.txt", "x");
    w.AddStartFiles(ProgramStartUp::FilesFromArguments({clip.string(), text.string()}));
    ASSERT_EQ(h.tasks.Count(), 1);
    EXPECT_EQ(h.tasks.Get(0)->source_path, clip.string());
}
