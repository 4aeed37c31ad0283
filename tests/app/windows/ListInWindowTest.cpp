// SPDX-License-Identifier: GPL-3.0-or-later
// The task list as people use it in the window: the order a folder arrives in, moving and
// deleting several rows, what a row says it will write, the output folder and the file types.
#include "CGradientProgress.h"
#include "CMediaSizeList.h"
#include "CSkinButton.h"
#include "CSkinTabCtrl.h"
#include "MediaFixtures.h"
#include "SheetTestSupport.h"
#include "TaskListView.h"
#include "WindowHarness.h"
#include "core/ProfileApplier.h"
#include "platform/PrivateProfile.h"
#include "profiles/sheet/CExPropertySheet.h"

#include "TempDir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QRegularExpression>

#include <QTest>

#include <gtest/gtest.h>

using namespace quillet;
using namespace quillet::test;
namespace fs = std::filesystem;

namespace {

/// The rows' first cells, top to bottom.
std::vector<std::string> Rows(const MainDialog &w)
{
    std::vector<std::string> rows;
    rows.reserve(static_cast<std::size_t>(w.ListView()->topLevelItemCount()));
    for (int i = 0; i < w.ListView()->topLevelItemCount(); ++i)
        rows.push_back(w.ListView()->topLevelItem(i)->text(0).toStdString());
    return rows;
}

/// The folder path under the media folder, with a copy of the short clip at each name.
fs::path FolderOfClips(WindowHarness &h, const std::string &folder,
                       const std::vector<std::string> &names)
{
    fs::path root = h.MediaFolder() / folder;
    for (const std::string &name : names) {
        fs::create_directories((root / name).parent_path());
        fs::copy_file(GeneratedClip("clip.mp4"), root / name);
    }
    return root;
}

/// The rows' Destination cells, top to bottom.
std::vector<std::string> Destinations(const MainDialog &w)
{
    std::vector<std::string> cells;
    cells.reserve(static_cast<std::size_t>(w.ListView()->topLevelItemCount()));
    for (int i = 0; i < w.ListView()->topLevelItemCount(); ++i)
        cells.push_back(
            w.ListView()->topLevelItem(i)->text(TaskListView::kDestinationColumn).toStdString());
    return cells;
}

/// Converts with an engine that writes a small file at each output path, as fast as a test
/// needs.
void ConvertWithStandInEngine(MainDialog &w)
{
    w.Driver().SetEngine([](int argc, char **argv, ProgressCallback report) {
        if (report("", 0.5) != 0)
            return DOLMAR_STOPPED;
        WriteFile(argv[argc - 1], "converted");
        return DOLMAR_OK;
    });
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
}

} // namespace

// The file system's order put clip10 before clip2 and a deep sub-folder before the folder's own
// files, so a merge joined them in an order nobody chose.
TEST(ListInWindow, aFolderArrivesInNameOrderItsOwnFilesBeforeItsSubFolders)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    h.chooser.folder = FolderOfClips(h, "clips",
                                     {"clip10.mp4", "b/clip3.mp4", "clip2.mp4", "a/x/deep.mp4",
                                      "Clip1.mp4", "a/clip09.mp4", "a/clip10.mp4"})
                           .string();
    h.prompter.answers = {true};
    w.OnAddFolder();
    EXPECT_EQ(Rows(w),
              (std::vector<std::string>{"Clip1.mp4", "clip2.mp4", "clip10.mp4", "clip09.mp4",
                                        "clip10.mp4", "deep.mp4", "clip3.mp4"}));
}

// With several rows selected Up and Down did nothing, without a word, and the Delete key did
// nothing at all.
TEST(ListInWindow, upAndDownMoveTheSelectedBlockAndDeleteRemovesIt)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddCopies(h, {"c0.mp4", "c1.mp4", "c2.mp4", "c3.mp4", "c4.mp4"}, GeneratedClip("clip.mp4"));
    ClickRow(w, 1);
    ClickRow(w, 3, Qt::ControlModifier);
    ASSERT_TRUE(w.UpButton()->isEnabled());
    QTest::mouseClick(w.UpButton(), Qt::LeftButton);
    EXPECT_EQ(Rows(w),
              (std::vector<std::string>{"c1.mp4", "c0.mp4", "c3.mp4", "c2.mp4", "c4.mp4"}));
    EXPECT_EQ(w.SelectedRows(), (std::vector<int>{0, 2}));
    // The row at the top stays; the other passes the row above it.
    QTest::mouseClick(w.UpButton(), Qt::LeftButton);
    EXPECT_EQ(Rows(w),
              (std::vector<std::string>{"c1.mp4", "c3.mp4", "c0.mp4", "c2.mp4", "c4.mp4"}));
    EXPECT_EQ(w.SelectedRows(), (std::vector<int>{0, 1}));
    EXPECT_FALSE(w.UpButton()->isEnabled());
    QTest::mouseClick(w.DownButton(), Qt::LeftButton);
    QTest::mouseClick(w.DownButton(), Qt::LeftButton);
    QTest::mouseClick(w.DownButton(), Qt::LeftButton);
    EXPECT_EQ(Rows(w),
              (std::vector<std::string>{"c0.mp4", "c2.mp4", "c4.mp4", "c1.mp4", "c3.mp4"}));
    EXPECT_FALSE(w.DownButton()->isEnabled());
    // The tasks moved with their rows.
    EXPECT_EQ(fs::path(h.tasks.Get(3)->source_path).filename(), "c1.mp4");

    ClickRow(w, 0, Qt::ControlModifier);
    QTest::keyClick(w.ListView(), Qt::Key_Delete);
    EXPECT_EQ(Rows(w), (std::vector<std::string>{"c2.mp4", "c4.mp4"}));
    EXPECT_EQ(h.tasks.Count(), 2);
}

// With "Apply to All" ticked, Options changed the selected row alone.
TEST(ListInWindow, withApplyToAllTheSheetsResultGoesToEveryTask)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddCopies(h, {"a.mp4", "b.mp4", "c.mp4"}, GeneratedClip("clip.mp4"));
    ASSERT_TRUE(w.ApplyToAllBox()->isChecked());
    const QString size_before = w.ListView()->topLevelItem(2)->text(3);
    ClickRow(w, 1);
    UiScript script;
    script.Then<CExPropertySheet>([](CExPropertySheet *sheet) {
        ClickTab(sheet->TabStrip(), CExPropertySheet::kResizePage);
        Click(sheet->findChild<QRadioButton *>("size6")); // 640 x 480
        Click(sheet->OkButton());
    });
    QTest::mouseClick(w.OptionsButton(), Qt::LeftButton);
    ASSERT_EQ(script.Pending(), 0u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(h.tasks.Get(i)->settings.nVideoRiszeOption, 6) << i;
    // The other rows show their new estimates.
    EXPECT_NE(w.ListView()->topLevelItem(2)->text(3), size_before);
}

// Rows showed stale facts: "a.mp4" on both rows of two sources named a.mp4 (the second was
// written as "a (1).mp4"), the old " (N)" after a folder change, and ticks that stayed after
// what they described had changed.
TEST(ListInWindow, aRowShowsWhatWillBeWrittenAndARunsMarksGoWhenItsFolderChanges)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    const fs::path taken = fs::path(h.app.OutputFolder()) / "a.mp4";
    WriteFile(taken, "made before");
    const fs::path x = FolderOfClips(h, "x", {"a.mp4"}), y = FolderOfClips(h, "y", {"a.mp4"});
    w.AddStartFiles({(x / "a.mp4").string(), (y / "a.mp4").string()});
    EXPECT_EQ(Destinations(w), (std::vector<std::string>{"a (1).mp4", "a (2).mp4"}));

    const fs::path second = h.MediaFolder() / "second";
    fs::create_directories(second);
    h.chooser.folder = second.string();
    h.prompter.answers = {true};
    w.OnChangeOutputFolder();
    EXPECT_EQ(Destinations(w), (std::vector<std::string>{"a.mp4", "a (1).mp4"}));

    ConvertWithStandInEngine(w);
    EXPECT_TRUE(fs::exists(second / "a.mp4"));
    EXPECT_TRUE(fs::exists(second / "a (1).mp4"));
    EXPECT_EQ(w.ListView()->OutcomeOf(1), TaskListView::Outcome::Made);

    const fs::path third = h.MediaFolder() / "third";
    fs::create_directories(third);
    h.chooser.folder = third.string();
    h.prompter.answers = {true};
    w.OnChangeOutputFolder();
    EXPECT_EQ(w.ListView()->OutcomeOf(0), TaskListView::Outcome::None);
    EXPECT_EQ(w.ListView()->OutcomeOf(1), TaskListView::Outcome::None);
    EXPECT_EQ(Destinations(w), (std::vector<std::string>{"a.mp4", "a (1).mp4"}));
    // The tooltip is the path again, not the old run's outcome.
    EXPECT_EQ(
        w.ListView()->topLevelItem(1)->toolTip(TaskListView::kDestinationColumn).toStdString(),
        (third / "a (1).mp4").string());
}

// Merge refused a clip without sound with "Some items no audios", naming no file, and a broken
// clip alike; the joined file was named "Compound<number>".
TEST(ListInWindow, mergeJoinsAClipWithoutSoundWithSilenceAndNamesABrokenClip)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    ClipRecipe quiet;
    quiet.seconds = 1.0;
    quiet.audio_streams = 0;
    const fs::path day = h.MediaFolder() / "day.mp4";
    fs::copy_file(GeneratedClip("clip.mp4", 1.0), day);
    const fs::path broken = WriteFile(h.MediaFolder() / "broken.mp4", "no media here");
    w.AddStartFiles(
        {day.string(), MakeClip(h.MediaFolder() / "quiet.mp4", quiet).string(), broken.string()});
    QTest::mouseClick(w.MergeBox(), Qt::LeftButton);
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    EXPECT_EQ(h.prompter.told,
              std::vector<std::string>{
                  "Cannot merge: no picture or sound could be read from broken.mp4"});
    EXPECT_TRUE(fs::is_empty(h.app.OutputFolder()));

    h.prompter.told.clear();
    ClickRow(w, 2);
    QTest::keyClick(w.ListView(), Qt::Key_Delete);
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    EXPECT_TRUE(h.prompter.told.empty()) << h.prompter.told.front();
    const ProbedFile joined = Ffprobe(fs::path(h.app.OutputFolder()) / "day (joined).mp4");
    ASSERT_TRUE(joined.ok);
    ASSERT_NE(joined.first("audio"), nullptr);
    EXPECT_NEAR(joined.duration, 2.0, 0.3);
}

// A folder that cannot be written was taken, and every file then failed with "cannot claim the
// name /proc/hour (1).mp4: No such file or directory".
TEST(ListInWindow, anOutputFolderThatCannotBeWrittenIsRefusedWhenChosenAndBeforeConvert)
{
    const std::string refused
        = "The folder /proc/ cannot be written to. Please choose another output folder.";
    {
        WindowHarness h;
        MainDialog &w = h.Start();
        const std::string before = h.app.OutputFolder();
        AddCopies(h, {"hour.mp4"}, GeneratedClip("clip.mp4"));
        h.chooser.folder = "/proc/";
        h.prompter.answers = {true};
        w.OnChangeOutputFolder();
        EXPECT_EQ(h.prompter.told, std::vector<std::string>{refused});
        EXPECT_TRUE(h.prompter.asked.empty());
        EXPECT_EQ(h.app.OutputFolder(), before);
        EXPECT_EQ(w.OutputFolderEdit()->text().toStdString(), before);
    }
    HarnessOptions options;
    options.output_folder = "/proc/";
    WindowHarness h(options);
    MainDialog &w = h.Start();
    AddCopies(h, {"hour.mp4"}, GeneratedClip("clip.mp4"));
    int runs = 0;
    w.Driver().SetEngine([&](int, char **, ProgressCallback) {
        ++runs;
        return DOLMAR_OK;
    });
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    EXPECT_EQ(h.prompter.told, std::vector<std::string>{refused});
    EXPECT_EQ(runs, 0);
}

// The disc bar looked the same at 176 % as at 95 %.
TEST(ListInWindow, theDiscBarShowsHowFarTheBatchOverflowsTheDisc)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddCopies(h, {"long.mp4"}, GeneratedClip("clip.mp4"));
    ProfileRecord &settings = h.tasks.Get(0)->settings;
    settings.bVideoCustomBitRate = 0;
    settings.estimated_video_bit_rate = 60000000; // about 7150 MB for its second
    CMediaSizeList *sizes = w.MediaSizeList();
    auto choose = [&](const QString &entry) {
        const int index = sizes->findText(entry);
        ASSERT_GE(index, 0) << entry.toStdString();
        sizes->setCurrentIndex(index);
        emit sizes->activated(index);
    };
    choose(QStringLiteral("DVD-5 (4.7GB)"));
    const int fill = static_cast<int>(EstimatedSizeMb(*h.tasks.Get(0)) * 100 / 4200);
    ASSERT_GT(fill, 150);
    EXPECT_TRUE(
        w.ProgressBar()->Caption().endsWith(QStringLiteral("| DVD-5 (4.7GB): %1% full").arg(fill)))
        << w.ProgressBar()->Caption().toStdString();
    EXPECT_EQ(w.ProgressBar()->maximum(), fill);
    EXPECT_EQ(w.ProgressBar()->value(), fill);
    EXPECT_EQ(w.ProgressBar()->GradientColors().back(), QColor(200, 30, 30));

    choose(QStringLiteral("No split"));
    EXPECT_EQ(w.ProgressBar()->maximum(), 100);
    EXPECT_NE(w.ProgressBar()->GradientColors().back(), QColor(200, 30, 30));
}

// An MP3 could not be picked, dropped or found in a folder, yet three profiles make audio;
// nor could WebM, MXF and the like.
TEST(ListInWindow, todaysTypesAndSoundAloneAreTakenByTheDialogDropsAndScans)
{
    struct FilterRecorder : ScriptedChooser
    {
        std::vector<FileFilter> seen;
        std::vector<std::string> ChooseFiles(std::string_view, std::string_view,
                                             const std::vector<FileFilter> &filters) override
        {
            seen = filters;
            return {};
        }
    } recorder;
    WindowHarness h;
    MainDialog &w = h.Start();
    w.SetFileChooser(&recorder);
    w.OnAddFiles();
    ASSERT_FALSE(recorder.seen.empty());
    const QStringList lines = DialogFileChooser::NameFilters(recorder.seen);
    for (const char *type : {"mp3", "m4a", "flac", "wav", "opus", "wma", "ac3", "webm", "mxf",
                             "mts", "m2ts", "mov", "mkv"}) {
        const QString pattern = QStringLiteral("*.") + type;
        EXPECT_TRUE(lines.front().split(QRegularExpression("[ ()]")).contains(pattern)) << type;
        // And a line of its own kind, besides "All support files".
        EXPECT_GE(lines.filter(QRegularExpression("[ (]\\" + pattern + "[ )]")).size(), 2) << type;
    }

    const fs::path folder = h.MediaFolder() / "sounds";
    fs::create_directories(folder);
    std::vector<std::string> dropped;
    for (const char *name : {"song.mp3", "talk.opus", "clip.webm", "notes.txt"})
        dropped.push_back(WriteFile(folder / name, "not media, but of a type").string());
    w.AddStartFiles(dropped);
    EXPECT_EQ(Rows(w), (std::vector<std::string>{"song.mp3", "talk.opus", "clip.webm"}));
    h.chooser.folder = folder.string();
    w.SetFileChooser(&h.chooser);
    w.OnAddFolder();
    EXPECT_EQ(h.tasks.Count(), 6);
}

// "Media player" started a program of the program folder that does not exist: nothing happened.
TEST(ListInWindow, theMediaPlayerPlaysTheSelectedTasksSourceThenItsOutputOnTheDesktop)
{
    struct NoPlayer : RecordingDesktop
    {
        int Open(const std::string &target) override
        {
            opened.push_back(target);
            return 31; // nothing on the desktop opens it
        }
    } no_player;
    WindowHarness h;
    MainDialog &w = h.Start();
    AddCopies(h, {"song.mp4"}, GeneratedClip("clip.mp4"));
    QTest::keyClick(&w, Qt::Key_E, Qt::ControlModifier);
    ConvertWithStandInEngine(w);
    ClickRow(w, 0);
    w.OnMediaPlayer();
    const std::string output = h.app.OutputFolder() + "song.mp4";
    EXPECT_EQ(h.desktop.opened,
              (std::vector<std::string>{(h.MediaFolder() / "song.mp4").string(), output}));
    EXPECT_TRUE(h.prompter.told.empty());

    w.SetDesktop(&no_player);
    w.OnMediaPlayer();
    EXPECT_EQ(h.prompter.told,
              std::vector<std::string>{"No media player is set up on this "
                                       "desktop to open "
                                       + output + "."});
}

// "Default" after "Save and Apply" on a shipped profile brought back what was saved: the
// shipped values were gone for good.
TEST(ListInWindow, defaultAfterSaveAndApplyBringsBackTheShippedValues)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddCopies(h, {"clip.mp4"}, GeneratedClip("clip.mp4"));
    ClickRow(w, 0);
    UiScript save;
    save.Then<CExPropertySheet>([](CExPropertySheet *sheet) {
            ClickTab(sheet->TabStrip(), CExPropertySheet::kResizePage);
            Click(sheet->findChild<QRadioButton *>("size6")); // 640 x 480
            Click(sheet->SaveButton());
        })
        .Then<QMenu>([](QMenu *menu) { ChooseMenuItem(menu, 0); }); // "Save and Apply"
    QTest::mouseClick(w.OptionsButton(), Qt::LeftButton);
    ASSERT_EQ(save.Pending(), 0u);
    const std::string section = h.tasks.Get(0)->settings.section_name.str();
    const std::string ini = h.ProgramFolder() + "/ini/ipadh264.ini";
    ASSERT_EQ(platform::ReadProfileString(section, "nVideoRiszeOption", "", 16, ini), "6");

    UiScript restore;
    restore.Then<CExPropertySheet>([](CExPropertySheet *sheet) {
        Click(sheet->DefaultButton());
        Click(sheet->OkButton());
    });
    QTest::mouseClick(w.OptionsButton(), Qt::LeftButton);
    ASSERT_EQ(restore.Pending(), 0u);
    EXPECT_EQ(h.tasks.Get(0)->settings.nVideoRiszeOption, 9);
    // The user's save stays in the profile's file until saved over.
    EXPECT_EQ(platform::ReadProfileString(section, "nVideoRiszeOption", "", 16, ini), "6");
}
