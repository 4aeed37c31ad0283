// SPDX-License-Identifier: GPL-3.0-or-later
// Converting from the window with the real engine: a batch of three generated clips, then a
// batch cancelled with the Convert button's Cancel face, and the rows' outcomes after a run.
#include "CGradientProgress.h"
#include "CSkinButton.h"
#include "MediaFixtures.h"
#include "TaskListView.h"
#include "WindowHarness.h"

#include <QCheckBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <set>

using namespace quillet;
using namespace quillet::test;
namespace fs = std::filesystem;

namespace {

std::set<fs::path> FilesIn(const fs::path &folder)
{
    std::set<fs::path> files;
    for (const auto &entry : fs::directory_iterator(folder))
        files.insert(entry.path());
    return files;
}

} // namespace

TEST(ConvertInWindow, threeClipsConvertWithProgressAndACancelledRunLeavesNothing)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    std::vector<std::string> sources;
    for (const char *name : {"first.mp4", "second.avi", "third.mkv"}) {
        const fs::path source = h.MediaFolder() / name;
        fs::copy_file(GeneratedClip(name, 4.0, 480, 360), source);
        sources.push_back(source.string());
    }
    w.AddStartFiles(sources);
    ASSERT_EQ(h.tasks.Count(), 3);

    // What the summary says while the batch runs, sampled as the window repaints.
    QStringList captions;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (captions.isEmpty() || captions.back() != w.ProgressBar()->Caption())
            captions << w.ProgressBar()->Caption();
    });
    sampler.start(20);
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    sampler.stop();

    EXPECT_TRUE(h.prompter.told.empty()) << h.prompter.told.front();
    const std::set<fs::path> made = FilesIn(h.app.OutputFolder());
    ASSERT_EQ(made.size(), 3u);
    for (const fs::path &output : made) {
        const ProbedFile probed = Ffprobe(output);
        EXPECT_TRUE(probed.ok) << output;
        EXPECT_EQ(probed.count("video"), 1) << output;
        EXPECT_NEAR(probed.duration, 4.0, 0.3) << output;
    }
    bool progress_seen = false;
    for (const QString &caption : captions)
        progress_seen = progress_seen
            || (caption.startsWith("Completed: ") && caption.contains("% | Time Left: ")
                && caption.contains("| Destination File: "));
    EXPECT_TRUE(progress_seen) << captions.join('\n').toStdString();
    EXPECT_TRUE(captions.contains("Start converting"));
    // The last output is shown in the file manager; the window is idle again.
    ASSERT_EQ(h.desktop.shown.size(), 1u);
    EXPECT_EQ(fs::path(h.desktop.shown[0]).filename(), "third.mp4");
    EXPECT_EQ(w.ConvertButton()->text(), "&Convert");
    EXPECT_TRUE(w.AddButton()->isEnabled());
    EXPECT_TRUE(w.ProgressBar()->Caption().startsWith("Total: 3 | "));

    // A run of the first row anew, cancelled with the Cancel face while it converts.
    bool cancel_clicked = false;
    QTimer canceller;
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        if (!cancel_clicked && w.State().converting
            && w.ProgressBar()->Caption().startsWith("Completed: ")) {
            cancel_clicked = true;
            EXPECT_EQ(w.ConvertButton()->text(), "&Cancel");
            QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
        }
    });
    canceller.start(20);
    ClickRow(w, 0);
    ChooseFromListMenu(w, 0, "Convert again");
    canceller.stop();
    EXPECT_TRUE(cancel_clicked);
    EXPECT_EQ(FilesIn(h.app.OutputFolder()), made);
    EXPECT_EQ(h.desktop.shown.size(), 1u);
    EXPECT_TRUE(h.prompter.told.empty());
    EXPECT_FALSE(w.State().converting);
    EXPECT_EQ(w.ConvertButton()->text(), "&Convert");
    EXPECT_TRUE(w.AddButton()->isEnabled());
    EXPECT_TRUE(w.RemoveButton()->isEnabled());
}

TEST(ConvertInWindow, eachRowShowsItsOutcomeAndAFailedRowItsReason)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    std::vector<std::string> sources;
    for (const char *name : {"kept.mp4", "gone.avi", "last.mkv"}) {
        const fs::path source = h.MediaFolder() / name;
        fs::copy_file(GeneratedClip(name, 1.0, 320, 240), source);
        sources.push_back(source.string());
    }
    w.AddStartFiles(sources);
    ASSERT_EQ(h.tasks.Count(), 3);
    fs::rename(sources[1], sources[1] + ".away"); // fails in the engine
    TaskListView &list = *w.ListView();
    EXPECT_EQ(list.OutcomeOf(0), TaskListView::Outcome::None);

    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    ASSERT_EQ(h.prompter.told.size(), 1u);
    EXPECT_EQ(list.OutcomeOf(0), TaskListView::Outcome::Made);
    EXPECT_EQ(list.OutcomeOf(1), TaskListView::Outcome::Failed);
    EXPECT_EQ(list.OutcomeOf(2), TaskListView::Outcome::Made);
    const QTreeWidgetItem *failed = list.topLevelItem(1);
    const QString tooltip = failed->toolTip(0);
    ASSERT_TRUE(tooltip.startsWith("Failed: ")) << tooltip.toStdString();
    // The reason is the engine's, the one the failure list gives for the file.
    const std::string reason = tooltip.mid(8).toStdString();
    EXPECT_FALSE(reason.empty());
    EXPECT_NE(h.prompter.told[0].find("gone.avi: " + reason), std::string::npos)
        << h.prompter.told[0];
    for (int column = 1; column < list.columnCount(); ++column)
        EXPECT_EQ(failed->toolTip(column), tooltip);
    EXPECT_FALSE(failed->icon(TaskListView::kDestinationColumn).isNull());
    EXPECT_EQ(list.topLevelItem(0)->toolTip(0), "Converted");

    // The next run's marks replace these: the file is back, every row is made.
    fs::rename(sources[1] + ".away", sources[1]);
    h.prompter.told.clear();
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    EXPECT_TRUE(h.prompter.told.empty());
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(list.OutcomeOf(row), TaskListView::Outcome::Made) << row;
    EXPECT_EQ(list.topLevelItem(1)->toolTip(0), "Converted");

    // Moving a row clears the marks: they describe the list the run went through, and a mark
    // left by position would now sit on another task's row.
    ClickRow(w, 1);
    QTest::mouseClick(w.UpButton(), Qt::LeftButton);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(list.OutcomeOf(row), TaskListView::Outcome::None) << row;
}

TEST(ConvertInWindow, mergeTickedInTheWindowJoinsTheListIntoOneOutput)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    std::vector<std::string> sources;
    for (const char *name : {"morning.mp4", "evening.avi"}) {
        const fs::path source = h.MediaFolder() / name;
        fs::copy_file(GeneratedClip(name, 2.0, 320, 240), source);
        sources.push_back(source.string());
    }
    w.AddStartFiles(sources);
    ASSERT_EQ(h.tasks.Count(), 2);
    QTest::mouseClick(w.MergeBox(), Qt::LeftButton);
    ASSERT_TRUE(w.MergeBox()->isChecked());

    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);

    EXPECT_TRUE(h.prompter.told.empty()) << h.prompter.told.front();
    const std::set<fs::path> made = FilesIn(h.app.OutputFolder());
    ASSERT_EQ(made.size(), 1u);
    const ProbedFile probed = Ffprobe(*made.begin());
    EXPECT_TRUE(probed.ok);
    EXPECT_NEAR(probed.duration, 4.0, 0.3); // both sources, one after the other
}

TEST(ConvertInWindow, theListMenusConvertConvertsItsRowAndTheWindowLivesOn)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    std::vector<std::string> sources;
    for (const char *name : {"one.mp4", "two.mp4", "three.mp4"}) {
        const fs::path source = h.MediaFolder() / name;
        fs::copy_file(GeneratedClip("menu.mp4", 1.0, 320, 240), source);
        sources.push_back(source.string());
    }
    w.AddStartFiles(sources);
    ASSERT_EQ(h.tasks.Count(), 3);

    ClickRow(w, 1);
    ChooseFromListMenu(w, 1, "Convert");
    ASSERT_FALSE(w.State().converting);
    // What the batch left to be deleted later goes now, while the window is still used.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();

    EXPECT_EQ(FilesIn(h.app.OutputFolder()),
              std::set<fs::path>{fs::path(h.app.OutputFolder()) / "two.mp4"});
    TaskListView &list = *w.ListView();
    EXPECT_EQ(list.OutcomeOf(0), TaskListView::Outcome::None);
    EXPECT_EQ(list.OutcomeOf(1), TaskListView::Outcome::Made);
    EXPECT_EQ(list.OutcomeOf(2), TaskListView::Outcome::None);
    EXPECT_TRUE(h.prompter.told.empty());
    // Still usable: the menu opens again and the button converts the rest.
    ClickRow(w, 0);
    emit list.customContextMenuRequested(list.visualItemRect(list.topLevelItem(0)).center());
    ASSERT_NE(OpenPopupMenu(), nullptr);
    OpenPopupMenu()->close();
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    EXPECT_EQ(FilesIn(h.app.OutputFolder()).size(), 3u);
}

TEST(ConvertInWindow, convertMakesOnlyWhatIsNotDoneAndConvertAgainMakesARowAnew)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    std::vector<std::string> sources;
    for (const char *name : {"a.mp4", "b.mp4", "c.mp4"}) {
        const fs::path source = h.MediaFolder() / name;
        fs::copy_file(GeneratedClip("again.mp4", 3.0, 320, 240), source);
        sources.push_back(source.string());
    }
    const fs::path out = h.app.OutputFolder();
    const auto made = [&] {
        std::set<std::string> names;
        for (const fs::path &file : FilesIn(out))
            if (file.filename().string().front() != '.')
                names.insert(file.filename().string());
        return names;
    };

    // Cancelled as soon as its first output has its name.
    w.AddStartFiles(sources);
    QTimer canceller;
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        if (w.State().converting && !made().empty())
            QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    });
    canceller.start(10);
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    canceller.stop();
    ASSERT_EQ(made(), (std::set<std::string>{"a.mp4"}));

    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    EXPECT_EQ(made(), (std::set<std::string>{"a.mp4", "b.mp4", "c.mp4"}));
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    EXPECT_EQ(made(), (std::set<std::string>{"a.mp4", "b.mp4", "c.mp4"}));
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(w.ListView()->OutcomeOf(row), TaskListView::Outcome::Made) << row;

    ClickRow(w, 1);
    ChooseFromListMenu(w, 1, "Convert again");
    EXPECT_EQ(made(), (std::set<std::string>{"a.mp4", "b.mp4", "b (1).mp4", "c.mp4"}));

    // Made into another folder is not made here.
    h.chooser.folder = (h.MediaFolder() / "elsewhere").string();
    fs::create_directory(*h.chooser.folder);
    h.prompter.answers = {true};
    QTest::mouseClick(w.ChangeFolderButton(), Qt::LeftButton);
    ASSERT_EQ(h.app.OutputFolder(), *h.chooser.folder + "/");
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    EXPECT_EQ(FilesIn(*h.chooser.folder).size(), 3u);
}
