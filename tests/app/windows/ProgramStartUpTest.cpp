// SPDX-License-Identifier: GPL-3.0-or-later
// The windowed program's start-up: settings, languages, the skin, a missing Matroska library,
// and the files of its command line.
#include "ProgramStartUp.h"
#include "VeneerBinding.h"
#include "WindowHarness.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTest>

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

TEST(ProgramStartUp, theProgramRunsFromACopyOfItsFolderPlacedAnywhere)
{
    TempDir place;
    const fs::path copy = place.path() / "somewhere else" / "quillet";
    fs::create_directories(copy);
    for (const auto &entry : fs::directory_iterator(ProgramDir())) {
        const std::string name = entry.path().filename().string();
        if (name != "output")
            fs::copy(entry.path(), copy / name, fs::copy_options::recursive);
    }
    TempDir settings;
    RegistryAccess registry{platform::SettingsStore(settings.path())};
    registry.WriteNumber(ConverterApp::kSettingsKey, "firstuse", 1);

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // An English system, whatever the machine's own language.
    for (const char *name : {"LANGUAGE", "LC_MESSAGES", "LANG"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("QUILLET_SETTINGS_DIR"),
                       QString::fromStdString(settings.path().string()));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(QString::fromStdString(place.path().string()));
    program.start(QString::fromStdString((copy / "quillet").string()), {});
    ASSERT_TRUE(program.waitForStarted(5000));
    // Start-up has run when the copy's own output folder is the stored one and exists, and the
    // language was chosen.
    const std::string wanted = (copy / "output").string() + "/";
    std::string stored, language;
    const bool started = QTest::qWaitFor(
        [&] {
            registry.ReadText(ConverterApp::kSettingsKey, "ConvertDir", stored);
            return stored == wanted && fs::is_directory(copy / "output")
                && registry.ReadText(ConverterApp::kSettingsKey, "language", language);
        },
        15000);
    // Still running a moment later: the window is up and waiting for the user.
    QTest::qWait(500);
    const bool still_running = program.state() == QProcess::Running;
    program.terminate();
    program.waitForFinished(5000);
    EXPECT_TRUE(started) << "stored: " << stored;
    EXPECT_TRUE(still_running) << program.readAllStandardError().toStdString();
    EXPECT_EQ(language, "English");
}
