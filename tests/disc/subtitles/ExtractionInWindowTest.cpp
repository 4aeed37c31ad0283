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

#include <unistd.h>

#include <cstdlib>
#include <string_view>

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

/**
 * A stand-in for mkvextract, first on PATH for its lifetime: it reports two steps of its own,
 * each only once the window has shown the step before (it waits for a file named after the
 * value), then hands over to the real mkvextract. A tiny file is extracted faster than a window
 * could show the real tool's steps; these are shown whatever the machine's speed.
 */
class SteppedMkvextract
{
public:
    explicit SteppedMkvextract(std::string seen_prefix)
        : m_seen(std::move(seen_prefix))
        , m_old_path(std::getenv("PATH"))
    {
        std::string real;
        std::string_view rest = m_old_path;
        while (real.empty() && !rest.empty()) {
            const auto colon = rest.find(':');
            const auto candidate = std::filesystem::path(rest.substr(0, colon)) / "mkvextract";
            if (::access(candidate.c_str(), X_OK) == 0)
                real = candidate.string();
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
        const auto script = quillet::test::WriteFile(
            m_dir.path() / "mkvextract",
            "#!/bin/sh\n" + Await(0) + "echo '#GUI#progress 25%'\n" + Await(25)
                + "echo '#GUI#progress 50%'\n" + Await(50) + "exec '" + real + "' \"$@\"\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        ::setenv("PATH", (m_dir.path().string() + ":" + m_old_path).c_str(), 1);
    }
    ~SteppedMkvextract() { ::setenv("PATH", m_old_path.c_str(), 1); }
    SteppedMkvextract(const SteppedMkvextract &) = delete;
    SteppedMkvextract &operator=(const SteppedMkvextract &) = delete;

    /// Tells the stand-in that the window showed percent.
    void Seen(int percent) const { quillet::test::WriteFile(m_seen + std::to_string(percent), ""); }

private:
    /// Waits for the window to show percent; gives up (and fails the extraction) after a minute.
    std::string Await(int percent) const
    {
        return "n=0; while [ ! -e '" + m_seen + std::to_string(percent)
            + "' ]; do n=$((n+1)); [ $n -gt 6000 ] && exit 3; sleep 0.01; done\n";
    }

    TempDir m_dir;
    std::string m_seen;
    std::string m_old_path;
};

} // namespace

TEST(ExtractionInWindow, addingAMatroskaFileAndAnsweringYesExtractsWithTheWaittingWindow)
{
    MainWindowStandIn main_window;
    main_window.resize(500, 300);
    main_window.show();
    AddingInTheWindow f(&main_window);
    f.host.answers = {true};
    const SteppedMkvextract tool(f.dir.file("seen-"));

    // What a user would see while the extraction runs, looked at on every pass of the events,
    // and every value the bar takes, as it takes it.
    std::vector<int> bar_values;
    const auto show = [&](int value) {
        if (bar_values.empty() || bar_values.back() != value)
            bar_values.push_back(value);
        tool.Seen(value);
    };
    bool bar_watched = false;
    std::vector<std::string> messages;
    bool owner_enabled_while_waiting = false;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        CWaittingDlg *window = CWaittingDlg::Current();
        if (!window)
            return;
        if (!bar_watched) {
            QObject::connect(window->ProgressBar(), &QProgressBar::valueChanged, &main_window,
                             show);
            bar_watched = true;
        }
        show(window->ProgressBar()->value());
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
