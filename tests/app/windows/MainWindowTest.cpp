// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven as a user drives it: enabling, menus, accelerators, closing, the
// output folder, drops and languages.
#include "CGradientProgress.h"
#include "CLinkLabel.h"
#include "CSkinButton.h"
#include "Command.h"
#include "TaskListView.h"
#include "WindowHarness.h"
#include "core/SubtitleOffer.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <set>
#include <thread>

using namespace quillet;
using namespace quillet::test;
namespace fs = std::filesystem;

namespace {

struct Enabled
{
    bool up, down, options, subtitle, audio;
    friend bool operator==(const Enabled &, const Enabled &) = default;
    friend std::ostream &operator<<(std::ostream &out, const Enabled &e)
    {
        return out << "up " << e.up << " down " << e.down << " options " << e.options
                   << " subtitle " << e.subtitle << " audio " << e.audio;
    }
};

Enabled RowButtons(const MainDialog &w)
{
    return {w.UpButton()->isEnabled(), w.DownButton()->isEnabled(), w.OptionsButton()->isEnabled(),
            w.SubtitleButton()->isEnabled(), w.AudioButton()->isEnabled()};
}

/// Adds n tasks (copies of one short clip) as files given at start would be.
void AddClips(WindowHarness &h, int n)
{
    std::vector<std::string> paths;
    for (int i = 0; i < n; ++i) {
        const fs::path copy = h.MediaFolder() / ("clip" + std::to_string(i) + ".mp4");
        fs::copy_file(GeneratedClip("clip.mp4"), copy, fs::copy_options::overwrite_existing);
        paths.push_back(copy.string());
    }
    h.Window().AddStartFiles(paths);
}

/// Runs the Convert command with an engine that writes a small file for each output and calls
/// during_run once, inside the first engine run, with the events pumped as the real one does.
void ConvertWithStandInEngine(WindowHarness &h, std::function<void()> during_run)
{
    MainDialog &w = h.Window();
    auto once = std::make_shared<std::function<void()>>(std::move(during_run));
    w.Driver().SetEngine([once](int argc, char **argv, ProgressCallback report) {
        report("", 0.1);
        if (*once) {
            (*once)();
            *once = nullptr;
        }
        if (report("", 0.2) != 0)
            return DOLMAR_STOPPED;
        // The output path is the vector's last entry (one audio track, so no extra groups).
        WriteFile(argv[argc - 1], "converted");
        return DOLMAR_OK;
    });
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
}

} // namespace

TEST(MainWindow, idleEnablingFollowsTheTasksAndTheSelection)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    // Empty: nothing to convert, remove or move; the list invites files.
    EXPECT_FALSE(w.ConvertButton()->isEnabled());
    EXPECT_FALSE(w.RemoveButton()->isEnabled());
    EXPECT_EQ(RowButtons(w), (Enabled{false, false, false, false, false}));
    EXPECT_TRUE(w.ListView()->ShowsEmptyPicture());
    EXPECT_EQ(w.ProgressBar()->Caption(), "Please Add File(s)");

    AddClips(h, 3);
    ASSERT_EQ(w.ListView()->topLevelItemCount(), 3);
    EXPECT_FALSE(w.ListView()->ShowsEmptyPicture());
    EXPECT_TRUE(w.ConvertButton()->isEnabled());
    EXPECT_TRUE(w.RemoveButton()->isEnabled());
    // After adding, the last row is selected.
    EXPECT_EQ(w.SelectedRows(), std::vector<int>{2});
    EXPECT_EQ(RowButtons(w), (Enabled{true, false, true, true, true}));
    EXPECT_TRUE(w.ProgressBar()->Caption().startsWith("Total: 3 | Length: 00:00:03.0 | "));

    ClickRow(w, 1);
    EXPECT_EQ(RowButtons(w), (Enabled{true, true, true, true, true}));
    ClickRow(w, 0);
    EXPECT_EQ(RowButtons(w), (Enabled{false, true, true, true, true}));
    // Several rows: Up and Down say whether the block can move; the others keep their state.
    ClickRow(w, 2, Qt::ControlModifier);
    EXPECT_EQ(w.SelectedRows(), (std::vector<int>{0, 2}));
    EXPECT_EQ(RowButtons(w), (Enabled{true, true, true, true, true}));
    // None selected.
    w.ListView()->clearSelection();
    EXPECT_EQ(RowButtons(w), (Enabled{false, false, false, false, false}));
    EXPECT_TRUE(w.ConvertButton()->isEnabled());
}

TEST(MainWindow, aSingleTaskCanMoveNeitherUpNorDown)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddClips(h, 1);
    EXPECT_EQ(RowButtons(w), (Enabled{false, false, true, true, true}));
}

TEST(MainWindow, upAndDownMoveTheSelectedTaskAndStopAtTheEnds)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddClips(h, 3);
    ClickRow(w, 1);
    QTest::mouseClick(w.UpButton(), Qt::LeftButton);
    EXPECT_EQ(fs::path(h.tasks.Get(0)->source_path).filename(), "clip1.mp4");
    EXPECT_EQ(w.SelectedRows(), std::vector<int>{0});
    EXPECT_EQ(w.ListView()->topLevelItem(0)->text(0), "clip1.mp4");
    EXPECT_FALSE(w.UpButton()->isEnabled());
    // A click on the disabled button does nothing.
    QTest::mouseClick(w.UpButton(), Qt::LeftButton);
    EXPECT_EQ(fs::path(h.tasks.Get(0)->source_path).filename(), "clip1.mp4");

    ClickRow(w, 1);
    QTest::mouseClick(w.DownButton(), Qt::LeftButton);
    QTest::mouseClick(w.DownButton(), Qt::LeftButton);
    EXPECT_EQ(w.SelectedRows(), std::vector<int>{2});
    EXPECT_FALSE(w.DownButton()->isEnabled());
    EXPECT_EQ(w.ListView()->topLevelItem(2)->text(0), "clip0.mp4");
}

TEST(MainWindow, whileConvertingOnlyCancelStaysWhateverIsSelected)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddClips(h, 3);
    std::vector<bool> checked;
    ConvertWithStandInEngine(h, [&] {
        QWidget *locked[] = {w.AddButton(),
                             w.DownButton(),
                             w.UpButton(),
                             w.RemoveButton(),
                             w.OptionsButton(),
                             w.MergeBox(),
                             w.ApplyToAllBox(),
                             w.ChangeFolderButton(),
                             w.SubtitleButton(),
                             w.AudioButton(),
                             (QWidget *)w.ProfilePicker(),
                             (QWidget *)w.MediaSizeList()};
        for (const auto &selection :
             {std::vector<int>{}, std::vector<int>{1}, std::vector<int>{0, 2}}) {
            w.ListView()->clearSelection();
            for (int row : selection)
                w.ListView()->topLevelItem(row)->setSelected(true);
            for (QWidget *widget : locked)
                checked.push_back(!widget->isEnabled());
            checked.push_back(w.ConvertButton()->isEnabled());
        }
        EXPECT_EQ(w.ConvertButton()->text(), "&Cancel");
        EXPECT_EQ(w.ConvertButton()->toolTip(), "Cancel");
    });
    ASSERT_EQ(checked.size(), 3u * 13u);
    for (std::size_t i = 0; i < checked.size(); ++i)
        EXPECT_TRUE(checked[i]) << "control " << i % 13 << " of selection " << i / 13;
    // Back to idle afterwards.
    EXPECT_EQ(w.ConvertButton()->text(), "&Convert");
    EXPECT_TRUE(w.AddButton()->isEnabled());
}

TEST(MainWindow, rightClickOffersTheListMenuOnlyForAtMostOneRow)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddClips(h, 2);
    TaskListView *list = w.ListView();
    auto right_click = [&](int row) {
        const QPoint at = list->visualItemRect(list->topLevelItem(row)).center();
        emit list->customContextMenuRequested(at);
        return OpenPopupMenu();
    };

    ClickRow(w, 0);
    ClickRow(w, 1, Qt::ControlModifier);
    EXPECT_EQ(right_click(0), nullptr);

    ClickRow(w, 0);
    QMenu *menu = right_click(0);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(MenuTexts(menu),
              QStringList({"Add file(s)...", "Add folder...", "-", "Remove", "Remove all", "-",
                           "Convert", "Convert again", "-", "Audio track...", "Subtitle...",
                           "Profile settings", "-", "Properties"}));
    for (QAction *action : menu->actions())
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
    menu->close();

    list->clearSelection();
    menu = right_click(0);
    ASSERT_NE(menu, nullptr);
    for (QAction *action : menu->actions()) {
        if (!action->isSeparator()) {
            EXPECT_EQ(action->isEnabled(), action->text().startsWith("Add"))
                << action->text().toStdString();
        }
    }
    menu->close();
}

TEST(MainWindow, duringABatchTheListMenuKeepsOnlyAudioTrackAndSubtitle)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddClips(h, 2);
    QStringList enabled;
    ConvertWithStandInEngine(h, [&] {
        w.SelectOnly(0);
        emit w.ListView()->customContextMenuRequested(QPoint(5, 5));
        if (QMenu *menu = OpenPopupMenu()) {
            for (QAction *action : menu->actions())
                if (action->isEnabled() && !action->isSeparator())
                    enabled << action->text();
            menu->close();
        }
    });
    EXPECT_EQ(enabled, QStringList({"Audio track...", "Subtitle..."}));
}

TEST(MainWindow, acceleratorsReachTheirCommandsWithoutAMenuItem)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    QTest::keyClick(&w, Qt::Key_B, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(h.desktop.started, std::vector<std::string>{h.ProgramFolder() + "/Quorvin"});
    // The media player plays a task, and there is none.
    EXPECT_EQ(h.prompter.told, std::vector<std::string>{"Please select one task to play."});
    QTest::keyClick(w.ListView(), Qt::Key_F1);
    ASSERT_EQ(h.desktop.opened.size(), 1u);
    EXPECT_EQ(h.desktop.opened[0], h.app.SupportPage());
    EXPECT_TRUE(h.desktop.opened[0].ends_with("/help/getting-started.html#help"));

    // The banner and the check-for-update button open the product page.
    QTest::mouseClick(w.Banner(), Qt::LeftButton);
    QTest::mouseClick(w.UpdateButton(), Qt::LeftButton, {}, QPoint(16, 16));
    EXPECT_EQ(
        h.desktop.opened,
        std::vector<std::string>({h.app.SupportPage(), h.app.ProductPage(), h.app.ProductPage()}));

    // The burner has no menu item; the player and Help have theirs.
    QTest::mouseClick(w.SettingsButton(), Qt::LeftButton);
    QMenu *menu = OpenPopupMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(MenuTexts(menu),
              QStringList({"&Help\tF1", "-", "Language", "Simultaneous conversions",
                           "Media player\tCtrl+E", "-", "Exit\tAlt+F4"}));
    menu->close();
}

TEST(MainWindow, theAddMenuOpensByItselfShortlyAfterStart)
{
    WindowHarness h;
    MainDialog &w = h.Create();
    EXPECT_TRUE(w.StartTimerActive(MainDialog::kAddMenuTimer));
    QElapsedTimer clock;
    clock.start();
    w.show();
    ASSERT_TRUE(QTest::qWaitFor([] { return OpenPopupMenu() != nullptr; }, 2000));
    // Not before its timer; "shortly" is the timer's length, not how busy the machine is.
    EXPECT_GE(clock.elapsed(), MainDialog::kStartTimerMs - 5);
    static_assert(MainDialog::kStartTimerMs < 1000);
    QMenu *menu = OpenPopupMenu();
    EXPECT_EQ(MenuTexts(menu),
              QStringList({"Add file(s)...", "Add folder", "-", "Copy from AVCHD/Blu-ray disc"}));
    // Under the Add button, at its left edge.
    EXPECT_EQ(menu->pos(), w.AddButton()->mapToGlobal(QPoint(0, w.AddButton()->height())));
    EXPECT_FALSE(w.StartTimerActive(MainDialog::kAddMenuTimer));
    menu->close();
    // The first-run page is not due: firstuse is already 1.
    EXPECT_TRUE(h.desktop.opened.empty());
}

TEST(MainWindow, theFirstRunOpensTheProductPageOnce)
{
    HarnessOptions first;
    first.first_use_done = false;
    WindowHarness h(first);
    MainDialog &w = h.Create();
    EXPECT_TRUE(w.StartTimerActive(MainDialog::kFirstRunTimer));
    w.show();
    h.DismissStartMenu();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !h.desktop.opened.empty(); }, 2000));
    EXPECT_EQ(h.desktop.opened, std::vector<std::string>{h.app.ProductPage()});
    EXPECT_TRUE(fs::exists(h.ProgramFolder() + "/help/getting-started.html"));
    EXPECT_EQ(h.SettingNumber("firstuse"), 1u);

    // The next start opens nothing.
    h.DestroyWindow();
    h.languages = LanguageTable();
    MainDialog &again = h.Create();
    EXPECT_FALSE(again.StartTimerActive(MainDialog::kFirstRunTimer));
    again.show();
    h.DismissStartMenu();
    QTest::qWait(100);
    EXPECT_EQ(h.desktop.opened.size(), 1u);
}

TEST(MainWindow, closingDuringABatchIsRefusedAndClosingIdleEmptiesTheList)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddClips(h, 2);
    bool visible_after_close = false;
    ConvertWithStandInEngine(h, [&] {
        w.close();
        visible_after_close = w.isVisible();
    });
    EXPECT_TRUE(visible_after_close);
    ASSERT_FALSE(h.prompter.told.empty());
    EXPECT_EQ(h.prompter.told.front(), MainDialog::kCloseRefused);
    EXPECT_EQ(h.tasks.Count(), 2);

    // Alt+F4 asks the window to close, after the key is handled.
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_F4, Qt::AltModifier);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 1000));
    EXPECT_EQ(h.tasks.Count(), 0);
    EXPECT_EQ(w.ListView()->topLevelItemCount(), 0);
}

TEST(MainWindow, escapeCancelsABatchAndLeavesAnIdleWindowWithItsList)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddClips(h, 2);
    ConvertWithStandInEngine(h, [&] { QTest::keyClick(w.ListView(), Qt::Key_Escape); });
    // Cancelled at once: nothing made, nothing shown, the window stays.
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(h.desktop.shown.empty());
    EXPECT_TRUE(fs::is_empty(h.app.OutputFolder()));
    EXPECT_EQ(w.ConvertButton()->text(), "&Convert");

    // Idle, Escape closes the open menu, and a second one neither ends the window nor empties
    // the list.
    w.OnAddButton();
    ASSERT_TRUE(QTest::qWaitFor([] { return OpenPopupMenu() != nullptr; }, 1000));
    QTest::keyClick(OpenPopupMenu(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([] { return OpenPopupMenu() == nullptr; }, 1000));
    QTest::keyClick(w.ListView(), Qt::Key_Escape);
    QTest::keyClick(&w, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(h.tasks.Count(), 2);
    EXPECT_EQ(w.ListView()->topLevelItemCount(), 2);
}

TEST(MainWindow, choosingTheSameOutputFolderAsksNothingAnotherMovesEveryDestination)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddClips(h, 2);
    const std::string old_folder = h.app.OutputFolder();

    h.chooser.folder = old_folder.substr(0, old_folder.size() - 1); // without its '/'
    QTest::mouseClick(w.ChangeFolderButton(), Qt::LeftButton);
    EXPECT_EQ(h.chooser.folder_initial_seen, old_folder);
    EXPECT_TRUE(h.prompter.asked.empty());

    const fs::path other = h.media.path() / "elsewhere";
    fs::create_directories(other);
    h.chooser.folder = other.string();
    h.prompter.answers = {true};
    QTest::mouseClick(w.ChangeFolderButton(), Qt::LeftButton);
    ASSERT_EQ(h.prompter.asked.size(), 1u);
    EXPECT_EQ(h.prompter.asked[0],
              "Do you want the output files of all tasks to be saved in the new output folder?");
    EXPECT_EQ(w.OutputFolderEdit()->text().toStdString(), other.string() + "/");
    EXPECT_EQ(h.SettingText("ConvertDir"), other.string() + "/");
    for (const auto &task : h.tasks)
        EXPECT_EQ(fs::path(task->destination_path).parent_path(), other);

    // Open shows the folder with the desktop's handler.
    QTest::mouseClick(w.OpenFolderButton(), Qt::LeftButton);
    EXPECT_EQ(h.desktop.opened.back(), other.string() + "/");
}

TEST(MainWindow, droppedFilesJoinOnlyWhenTheirTypeIsAccepted)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    const fs::path mp4 = h.MediaFolder() / "a.MP4";
    fs::copy_file(GeneratedClip("clip.mp4"), mp4);
    const fs::path text = WriteFile(h.MediaFolder() / "b.txt", "not media");
    const fs::path folder = h.MediaFolder() / "clips";
    fs::create_directories(folder);

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(mp4.string())),
                  QUrl::fromLocalFile(QString::fromStdString(text.string())),
                  QUrl::fromLocalFile(QString::fromStdString(folder.string()))});
    QDragEnterEvent enter(QPoint(50, 150), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&w, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 150), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&w, &drop);
    EXPECT_TRUE(QTest::qWaitFor([&] { return h.tasks.Count() > 0; }, 2000));
    QTest::qWait(20);
    ASSERT_EQ(h.tasks.Count(), 1);
    EXPECT_EQ(h.tasks.Get(0)->source_path, mp4.string());
    EXPECT_EQ(w.ListView()->topLevelItem(0)->text(0), "a.MP4");
    EXPECT_EQ(w.SelectedRows(), std::vector<int>{0});
}

TEST(MainWindow, dropsAreRefusedWhileABatchRuns)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddClips(h, 1);
    bool accepted = true;
    ConvertWithStandInEngine(h, [&] {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(h.tasks.Get(0)->source_path))});
        QDragEnterEvent enter(QPoint(50, 150), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&w, &enter);
        accepted = enter.isAccepted();
    });
    EXPECT_FALSE(accepted);
    EXPECT_EQ(h.tasks.Count(), 1);
}

TEST(MainWindow, germanFromTheLanguageMenuChangesEveryCaptionAndIsKept)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddClips(h, 2);
    QTest::mouseClick(w.SettingsButton(), Qt::LeftButton);
    QMenu *settings = OpenPopupMenu();
    ASSERT_NE(settings, nullptr);
    QAction *language = FindAction(settings, "Language");
    ASSERT_NE(language, nullptr);
    QMenu *languages = language->menu();
    ASSERT_NE(languages, nullptr);
    EXPECT_EQ(MenuTexts(languages).size(), 3);
    QAction *english = FindAction(languages, "English");
    ASSERT_NE(english, nullptr);
    EXPECT_TRUE(english->isChecked());
    QAction *german = FindAction(languages, "Deutsch");
    ASSERT_NE(german, nullptr);
    EXPECT_FALSE(german->isChecked());
    EXPECT_EQ(german->data().toInt(),
              LanguageTable::kLanguageCommandFirst
                  + int(MenuTexts(languages).indexOf(german->text())));
    german->trigger();
    settings->close();

    EXPECT_EQ(w.AddButton()->text(), "&Hinzufügen");
    EXPECT_EQ(w.ConvertButton()->text(), "&Konvertieren");
    EXPECT_EQ(w.RemoveButton()->toolTip(), "Dateien aus der Liste entfernen");
    EXPECT_EQ(w.OutputLabel()->text(), "Ausgabeordner:");
    EXPECT_EQ(w.ProfileLabel()->text(), "Profil:");
    EXPECT_EQ(w.ApplyToAllBox()->text(), "Für alle");
    EXPECT_EQ(w.MergeBox()->text(), "Zusammenführen");
    EXPECT_EQ(w.ListView()->headerItem()->text(0), "Quelle");
    EXPECT_EQ(w.ListView()->headerItem()->text(4), "Zieldatei");
    EXPECT_TRUE(w.ProgressBar()->Caption().startsWith("Dateien: 2 | Länge: "));
    EXPECT_EQ(w.Banner()->TooltipText(), "Willkommen auf der Website von Brontwick Quillet");
    // The refresh selects the last row, as after any change of the list.
    EXPECT_EQ(w.SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(h.SettingText("language"), "Deutsch (German)");

    // A restart comes up in German, and the menu has it checked.
    h.DestroyWindow();
    h.languages = LanguageTable();
    MainDialog &again = h.Start();
    EXPECT_EQ(again.AddButton()->text(), "&Hinzufügen");
    QTest::mouseClick(again.SettingsButton(), Qt::LeftButton);
    QMenu *menu = OpenPopupMenu();
    ASSERT_NE(menu, nullptr);
    QAction *sprache = FindAction(menu, "Sprache");
    ASSERT_NE(sprache, nullptr);
    EXPECT_TRUE(FindAction(sprache->menu(), "Deutsch")->isChecked());
    EXPECT_EQ(MenuTexts(menu).front(), "&Hilfe\tF1");
    menu->close();
}

TEST(MainWindow, theRemoveMenuRemovesTheSelectedOrEveryTask)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddClips(h, 3);
    ClickRow(w, 0);
    ClickRow(w, 1, Qt::ControlModifier);
    QTest::mouseClick(w.RemoveButton(), Qt::LeftButton);
    QMenu *menu = OpenPopupMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(MenuTexts(menu), QStringList({"Remove selected file", "Remove all"}));
    FindAction(menu, "Remove selected")->trigger();
    ASSERT_EQ(h.tasks.Count(), 1);
    EXPECT_EQ(w.ListView()->topLevelItem(0)->text(0), "clip2.mp4");
    // The totals follow the rows that are left.
    EXPECT_TRUE(w.ProgressBar()->Caption().startsWith("Total: 1 | "));

    QTest::mouseClick(w.RemoveButton(), Qt::LeftButton);
    FindAction(OpenPopupMenu(), "Remove all")->trigger();
    EXPECT_EQ(h.tasks.Count(), 0);
    EXPECT_EQ(w.ProgressBar()->Caption(), "Please Add File(s)");
    EXPECT_TRUE(w.ListView()->ShowsEmptyPicture());
}

TEST(MainWindow, aClickInTheEmptyListOffersTheAddMenuWhereItWasClicked)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    const QPoint at(40, 60);
    QTest::mouseClick(w.ListView()->viewport(), Qt::LeftButton, {}, at);
    QMenu *menu = OpenPopupMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->pos(), w.ListView()->viewport()->mapToGlobal(at));
    EXPECT_EQ(MenuTexts(menu).front(), "Add file(s)...");
    menu->close();
}

TEST(MainWindow, addingFromTheFileDialogAndAFolderGoesThroughTheWindowsDialogs)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    const fs::path a = h.MediaFolder() / "a.mp4";
    fs::copy_file(GeneratedClip("clip.mp4"), a);
    h.chooser.files = {a.string()};
    w.OnAddFiles();
    EXPECT_EQ(h.tasks.Count(), 1);

    const fs::path folder = h.MediaFolder() / "more";
    fs::create_directories(folder / "deeper");
    fs::copy_file(GeneratedClip("clip.mp4"), folder / "b.mp4");
    fs::copy_file(GeneratedClip("clip.avi"), folder / "deeper" / "c.avi");
    h.chooser.folder = folder.string();
    h.prompter.answers = {true};
    w.OnAddFolder();
    EXPECT_EQ(h.prompter.asked.back(), "Do you want search sub folder?");
    EXPECT_EQ(h.tasks.Count(), 3);
}

TEST(MainWindow, aFolderScanOrADropSkipsAFifoAndAddsTheClipsBesideIt)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    const fs::path folder = h.MediaFolder() / "with pipes";
    fs::create_directories(folder / "deeper");
    fs::copy_file(GeneratedClip("clip.mp4"), folder / "clip.mp4");
    fs::copy_file(GeneratedClip("clip.avi"), folder / "deeper" / "more.avi");
    const std::vector<fs::path> fifos = {folder / "live.mp4", folder / "deeper" / "pipe.avi"};
    // A writer for each FIFO: every reader that opens one is let go at once (and counted)
    // instead of blocking the test for good; the test's own readers end the writers.
    std::atomic<int> opened{0};
    std::atomic<bool> stop{false};
    std::atomic<int> writing{0};
    std::vector<std::thread> writers;
    for (const fs::path &fifo : fifos) {
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        ++writing;
        writers.emplace_back([&, fifo] {
            while (!stop) {
                const int fd = ::open(fifo.c_str(), O_WRONLY);
                if (fd >= 0)
                    ::close(fd);
                if (!stop)
                    ++opened;
            }
            --writing;
        });
    }

    h.chooser.folder = folder.string();
    h.prompter.answers = {true};
    w.OnAddFolder();
    w.AddStartFiles({fifos[0].string()});
    stop = true;
    const int opened_by_window = opened.load();
    while (writing > 0)
        for (const fs::path &fifo : fifos)
            ::close(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK));
    for (std::thread &writer : writers)
        writer.join();

    EXPECT_EQ(opened_by_window, 0);
    std::set<std::string> added;
    for (const auto &task : h.tasks)
        added.insert(fs::path(task->source_path).filename().string());
    EXPECT_EQ(added, (std::set<std::string>{"clip.mp4", "more.avi"}));
    EXPECT_TRUE(h.prompter.told.empty());
}

TEST(MainWindow, aMatroskaFileWithSubtitlesIsOfferedThroughTheWindowsMessageBoxes)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    ASSERT_TRUE(h.matroska.Loaded()) << h.matroska.Error();
    const fs::path srt
        = WriteFile(h.MediaFolder() / "words.srt", "1\n00:00:00,100 --> 00:00:00,900\nHello\n");
    const fs::path mkv = h.MediaFolder() / "with words.mkv";
    const auto made = RunCommand({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i",
                                  GeneratedClip("clip.mp4").string(), "-i", srt.string(), "-c",
                                  "copy", "-c:s", "srt", mkv.string()});
    ASSERT_EQ(made.exit_code, 0) << made.err;

    h.prompter.answers = {true};
    w.AddStartFiles({mkv.string()});
    ASSERT_EQ(h.prompter.asked.size(), 1u);
    EXPECT_EQ(h.prompter.asked[0], kSubtitleOfferQuestion);
    ASSERT_EQ(h.tasks.Count(), 1);
    const Task &task = *h.tasks.Get(0);
    EXPECT_EQ(fs::path(task.subtitle_path).parent_path().string() + "/", h.app.OutputFolder());
    EXPECT_EQ(ReadFile(task.subtitle_path).find("Hello") != std::string::npos, true);
    EXPECT_TRUE(h.prompter.told.empty());
}
