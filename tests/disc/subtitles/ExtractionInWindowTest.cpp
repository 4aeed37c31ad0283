// SPDX-License-Identifier: GPL-3.0-or-later
// Adding a Matroska file with subtitle tracks in the window and answering Yes: the real
// extraction library runs mkvextract on a file made at test time with mkvmerge, while the
// Waitting window shows its progress over a main window that stays disabled and painted.

#include "disc/subtitles/CWaittingDlg.h"
#include "disc/subtitles/SubtitleOfferHook.h"

#include "FakeTaskListHost.h"
#include "MatroskaFilm.h"
#include "RecordingPrompter.h"

#include "app/ConverterApp.h"
#include "app/MainState.h"
#include "app/TaskListController.h"
#include "core/SubtitleOffer.h"
#include "core/TaskList.h"
#include "texts/Texts.h"

#include "TempDir.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

using namespace quillet;
using quillet::test::TempDir;

namespace {

/// The main window's part: it counts the paints it gets while the Waitting window is up.
class MainWindowStandIn : public QWidget
{
public:
    int paints_while_waiting = 0;

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (CWaittingDlg::Current())
            ++paints_while_waiting;
    }
};

/// The main window's side of adding files: the task list and its operations over a Matroska
/// file made for the test, the real extraction library, and the offer hooked in as the main
/// window hooks it.
struct AddingInTheWindow
{
    TempDir dir;
    std::filesystem::path film = quillet::test::MakeFilmWithSubtitleTracks(dir.path());
    std::filesystem::path output = dir.path() / "output";
    ConverterApp app{RegistryAccess(platform::SettingsStore(dir.path() / "settings")),
                     quillet::test::ProgramDir().string()};
    MatroskaBinding binding;
    TaskList tasks;
    MainState state;
    BuiltInTexts texts;
    quillet::test::FakeTaskListHost host;
    TaskListController controller{tasks, host, app, state, texts};

    explicit AddingInTheWindow(QWidget *main_window)
    {
        std::filesystem::create_directories(output);
        app.SetOutputFolder(output.string());
        EXPECT_TRUE(binding.Load(quillet::test::ProgramDir().string())) << binding.Error();
        controller.SetFileAddedHook(SubtitleOfferHook(
            main_window, host, [this] { return app.OutputFolder(); }, binding));
    }
};

} // namespace

TEST(ExtractionInWindow, addingAMatroskaFileAndAnsweringYesExtractsWithTheWaittingWindow)
{
    MainWindowStandIn main_window;
    main_window.resize(500, 300);
    main_window.show();
    AddingInTheWindow f(&main_window);
    f.host.answers = {true};

    // What a user would see while the extraction runs, looked at on every pass of the events.
    std::vector<int> bar_values;
    std::vector<std::string> messages;
    bool owner_enabled_while_waiting = false;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        CWaittingDlg *window = CWaittingDlg::Current();
        if (!window)
            return;
        if (bar_values.empty() || bar_values.back() != window->ProgressBar()->value())
            bar_values.push_back(window->ProgressBar()->value());
        messages.push_back(window->MessageLabel()->text().toStdString());
        owner_enabled_while_waiting |= main_window.isEnabled();
        // The main window has something to paint, as it has while its timers run.
        main_window.update();
    });
    watcher.start();

    const int row = f.controller.AddSourceFile(f.film.string());
    watcher.stop();

    EXPECT_EQ(f.host.asked, std::vector<std::string>{kSubtitleOfferQuestion});
    ASSERT_GE(bar_values.size(), 4u) << "too few progress steps were shown";
    EXPECT_TRUE(std::is_sorted(bar_values.begin(), bar_values.end()));
    EXPECT_EQ(std::adjacent_find(bar_values.begin(), bar_values.end()), bar_values.end());
    EXPECT_EQ(bar_values.back(), 100);
    EXPECT_EQ(messages.back(), "Extracting subtitles from film.mkv");
    EXPECT_FALSE(owner_enabled_while_waiting);
    EXPECT_GE(main_window.paints_while_waiting, 3);

    // The window has gone and the main window works again.
    EXPECT_EQ(CWaittingDlg::Current(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main_window.findChildren<CWaittingDlg *>().isEmpty());
    EXPECT_TRUE(main_window.isEnabled());

    const Task *task = f.tasks.Get(row);
    ASSERT_NE(task, nullptr);
    const std::vector<std::string> expected
        = {(f.output / "film_0.srt").string(), (f.output / "film_1.srt").string(),
           (f.output / "film_2.srt").string()};
    EXPECT_EQ(task->subtitle_candidates, expected);
    EXPECT_EQ(task->subtitle_path, expected[0]);
    for (const auto &path : expected) {
        ASSERT_TRUE(std::filesystem::exists(path)) << path;
        EXPECT_NE(quillet::test::ReadFile(path).find("First line"), std::string::npos) << path;
    }
    EXPECT_TRUE(f.host.told.empty());
}

TEST(ExtractionInWindow, answeringNoShowsNoWindowAndExtractsNothing)
{
    QWidget main_window;
    AddingInTheWindow f(&main_window);
    f.host.answers = {false};

    bool window_seen = false;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout,
                     [&] { window_seen = window_seen || CWaittingDlg::Current() != nullptr; });
    watcher.start();
    const int row = f.controller.AddSourceFile(f.film.string());
    watcher.stop();

    EXPECT_EQ(f.host.asked.size(), 1u);
    EXPECT_FALSE(window_seen);
    EXPECT_TRUE(f.tasks.Get(row)->subtitle_path.empty());
    EXPECT_TRUE(std::filesystem::is_empty(f.output));
}
