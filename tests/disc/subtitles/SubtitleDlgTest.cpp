// SPDX-License-Identifier: GPL-3.0-or-later
// The Subtitles dialog, opened through the main window's command on a task list and driven as a
// user drives it: clicks on the rows and the skinned buttons, the real file dialog behind "...".

#include "disc/subtitles/CSubtitleDlg.h"
#include "disc/subtitles/NameFilters.h"

#include "ModalDriver.h"
#include "RecordingPrompter.h"

#include "CSkinButton.h"
#include "core/ArgumentBuilder.h"
#include "core/TaskList.h"
#include "texts/Texts.h"

#include "TempDir.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace quillet;
using quillet::test::ReadFile;
using quillet::test::RecordingPrompter;
using quillet::test::TempDir;
using quillet::test::WhenModal;
using quillet::test::WriteFile;

namespace {

void Click(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

void ClickRow(QListWidget *list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

std::vector<int> CheckedRows(const QListWidget *list)
{
    std::vector<int> rows;
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->checkState() == Qt::Checked)
            rows.push_back(row);
    return rows;
}

/// A task list holding one task whose source had three subtitle tracks extracted, the first
/// preset as its subtitle, as the Matroska offer leaves it.
struct ExtractedTask
{
    TempDir dir;
    TaskList tasks;
    Task *task = nullptr;
    std::vector<std::string> tracks;
    BuiltInTexts texts;
    RecordingPrompter prompter;
    // No style library behind "Subtitle style" unless a test says so.
    SubtitleStyleEditor no_style{"", "nosuchlibrary"};

    ExtractedTask()
    {
        for (const char *name : {"film_0.srt", "film_1.ass", "film_2.srt"})
            tracks.push_back(
                WriteFile(dir.path() / "output" / name, "1\n00:00:01,000 --> 00:00:02,000\nHi\n")
                    .string());
        auto made = std::make_unique<Task>();
        made->source_path = dir.file("film.mkv");
        made->destination_path = dir.file("output/film.mp4");
        made->subtitle_path = tracks[0];
        made->subtitle_candidates = tracks;
        task = made.get();
        tasks.Add(std::move(made));
    }

    bool Edit(const std::vector<int> &selected = {0})
    {
        return CSubtitleDlg::EditSelectedTask(nullptr, tasks, selected, texts, prompter, no_style);
    }
};

} // namespace

TEST(SubtitleDialog, offersTheSubtitleTypesAndAllFilesInTheFileDialog)
{
    EXPECT_EQ(QtNameFilters(SubtitleChoice::kFilter).join(QLatin1Char('|')).toStdString(),
              "Support files(.srt .sub .ssa .ass .smi .psb .txt .idx .usf .xss) (*.srt *.sub "
              "*.ssa *.ass *smi *.psb *.txt *.idx *.usf *.xss)|All  files(*.*) (*)");
    // A list cut short or without its closing pair keeps what is complete.
    EXPECT_EQ(QtNameFilters("Text(.txt)|*.txt; *.log|Half").join(QLatin1Char('|')).toStdString(),
              "Text(.txt) (*.txt *.log)");
    EXPECT_TRUE(QtNameFilters("").isEmpty());
}

TEST(SubtitleDialog, listsTheExtractedFilesByNameWithTheFirstPresetAndNoneChecked)
{
    ExtractedTask f;
    WhenModal<CSubtitleDlg>([&](CSubtitleDlg *dialog) {
        QListWidget *list = dialog->List();
        ASSERT_EQ(list->count(), 3);
        EXPECT_EQ(list->item(0)->text(), "film_0.srt");
        EXPECT_EQ(list->item(1)->text(), "film_1.ass");
        EXPECT_EQ(list->item(2)->text(), "film_2.srt");
        EXPECT_EQ(dialog->PathField()->text().toStdString(), f.tracks[0]);
        EXPECT_TRUE(dialog->PathField()->isReadOnly());
        EXPECT_TRUE(CheckedRows(list).empty());
        EXPECT_EQ(dialog->windowTitle(), "Subtitle");
        EXPECT_EQ(dialog->AddButton()->text(), "Add");
        EXPECT_EQ(dialog->StyleButton()->text(), "Subtitle style");
        EXPECT_EQ(dialog->OkButton()->toolTip(), "OK");
        EXPECT_EQ(dialog->StyleButton()->toolTip(), "Subtitle style settings");
        dialog->reject();
    });
    EXPECT_FALSE(f.Edit());
    EXPECT_EQ(f.task->subtitle_path, f.tracks[0]);
}

TEST(SubtitleDialog, choosingTheSecondRowStoresItAndTheNextConversionBurnsItIn)
{
    ExtractedTask f;
    WhenModal<CSubtitleDlg>([&](CSubtitleDlg *dialog) {
        ClickRow(dialog->List(), 2);
        ClickRow(dialog->List(), 1);
        EXPECT_EQ(CheckedRows(dialog->List()), std::vector<int>{1});
        EXPECT_EQ(dialog->PathField()->text().toStdString(), f.tracks[1]);
        Click(dialog->OkButton());
    });
    EXPECT_TRUE(f.Edit());
    EXPECT_EQ(f.task->subtitle_path, f.tracks[1]);
    EXPECT_EQ(f.task->subtitle_candidates, f.tracks);

    BuildContext context;
    context.split_choice = "No split";
    context.output_folder = f.dir.path().string() + "/output/";
    context.file_exists = [](const std::string &path) { return std::filesystem::exists(path); };
    const BuildResult built = BuildTaskArguments(*f.task, context);
    ASSERT_TRUE(built.Ok()) << built.Error();
    const auto &args = built.args.Entries();
    const auto hook = std::find(args.begin(), args.end(), "-vhook");
    ASSERT_NE(hook, args.end());
    ASSERT_NE(hook + 1, args.end());
    EXPECT_EQ(*(hook + 1), "SubTitleHook -f " + f.tracks[1]);
}

TEST(SubtitleDialog, theAddButtonReplacesThePathAndLeavesTheListAlone)
{
    ExtractedTask f;
    const std::string own
        = WriteFile(f.dir.path() / "mine" / "own.ssa", "[Script Info]\n").string();
    WhenModal<CSubtitleDlg>([&](CSubtitleDlg *dialog) {
        ClickRow(dialog->List(), 2);
        WhenModal<QFileDialog>([&](QFileDialog *files) {
            // The file dialog collapses runs of blanks in what it shows ("All  files").
            EXPECT_EQ(files->nameFilters().join(QLatin1Char('|')).toStdString(),
                      QtNameFilters(SubtitleChoice::kFilter)
                          .replaceInStrings(QStringLiteral("  "), QStringLiteral(" "))
                          .join(QLatin1Char('|'))
                          .toStdString());
            files->selectFile(QString::fromStdString(own));
            QMetaObject::invokeMethod(files, "accept");
        });
        Click(dialog->AddButton());
        EXPECT_EQ(dialog->PathField()->text().toStdString(), own);
        EXPECT_EQ(dialog->List()->count(), 3);
        EXPECT_EQ(CheckedRows(dialog->List()), std::vector<int>{2});

        // Cancelling the file dialog keeps the path.
        WhenModal<QFileDialog>([](QFileDialog *files) { files->reject(); });
        Click(dialog->AddButton());
        EXPECT_EQ(dialog->PathField()->text().toStdString(), own);
        Click(dialog->OkButton());
    });
    EXPECT_TRUE(f.Edit());
    EXPECT_EQ(f.task->subtitle_path, own);
    EXPECT_EQ(f.task->subtitle_candidates, f.tracks);
}

TEST(SubtitleDialog, okWithoutAFileKeepsTheDialogOpenAndCancelLeavesNoSubtitle)
{
    ExtractedTask f;
    f.task->subtitle_path.clear();
    f.task->subtitle_candidates.clear();
    WhenModal<CSubtitleDlg>([&](CSubtitleDlg *dialog) {
        EXPECT_EQ(dialog->List()->count(), 0);
        Click(dialog->OkButton());
        QTest::keyClick(dialog, Qt::Key_Return);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(f.prompter.told.empty());
        Click(dialog->CancelButton());
    });
    EXPECT_FALSE(f.Edit());
    EXPECT_TRUE(f.task->subtitle_path.empty());
}

TEST(SubtitleDialog, aFileDeletedSinceCannotBeOpenedAndTheTaskKeepsItsPath)
{
    ExtractedTask f;
    std::filesystem::remove(f.tracks[1]);
    WhenModal<CSubtitleDlg>([&](CSubtitleDlg *dialog) {
        ClickRow(dialog->List(), 1);
        Click(dialog->OkButton());
        EXPECT_EQ(f.prompter.told, std::vector<std::string>{"Cannot open subtitle file"});
        EXPECT_TRUE(dialog->isVisible());
        Click(dialog->CancelButton());
    });
    EXPECT_FALSE(f.Edit());
    EXPECT_EQ(f.task->subtitle_path, f.tracks[0]);
}

TEST(SubtitleDialog, cancelAndEscapeChangeNothing)
{
    ExtractedTask f;
    WhenModal<CSubtitleDlg>([&](CSubtitleDlg *dialog) {
        ClickRow(dialog->List(), 2);
        Click(dialog->CancelButton());
    });
    EXPECT_FALSE(f.Edit());
    WhenModal<CSubtitleDlg>([&](CSubtitleDlg *dialog) {
        ClickRow(dialog->List(), 1);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_FALSE(f.Edit());
    EXPECT_EQ(f.task->subtitle_path, f.tracks[0]);
    EXPECT_EQ(f.task->subtitle_candidates, f.tracks);
}

TEST(SubtitleDialog, opensOnlyForExactlyOneSelectedTaskOfTheList)
{
    ExtractedTask f;
    auto second = std::make_unique<Task>();
    second->subtitle_path = "/keep/me.srt";
    f.tasks.Add(std::move(second));
    // Any window opening here would wait for an answer and fail the test by its timeout.
    EXPECT_FALSE(f.Edit({0, 1}));
    EXPECT_FALSE(f.Edit({}));
    EXPECT_FALSE(f.Edit({2}));
    EXPECT_FALSE(f.Edit({-1}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(f.task->subtitle_path, f.tracks[0]);
    EXPECT_EQ(f.tasks.Get(1)->subtitle_path, "/keep/me.srt");
}

TEST(SubtitleDialog, subtitleStyleDoesNothingWithoutACompleteStyleLibrary)
{
    ExtractedTask f;
    const std::string log = f.dir.file("calls.log");
    setenv("FAKE_SUBTITLES_LOG", log.c_str(), 1);
    for (const char *library : {"nosuchlibrary", "fakesubtitlesincomplete"}) {
        CSubtitleDlg dialog(f.texts, f.prompter, SubtitleStyleEditor(QUILLET_FAKES_DIR, library),
                            f.task->subtitle_path, f.task->subtitle_candidates);
        dialog.show();
        const QWidgetList before = QApplication::topLevelWidgets();
        Click(dialog.StyleButton());
        EXPECT_EQ(QApplication::topLevelWidgets(), before) << library;
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << library;
        EXPECT_TRUE(dialog.isVisible()) << library;
        EXPECT_EQ(dialog.WorkingPath(), f.tracks[0]) << library;
        EXPECT_TRUE(f.prompter.told.empty()) << library;
    }
    EXPECT_EQ(ReadFile(log), "") << "an entry point was called";

    // With the whole library the button makes the four calls in their order.
    CSubtitleDlg dialog(f.texts, f.prompter,
                        SubtitleStyleEditor(QUILLET_FAKES_DIR, "fakesubtitles"),
                        f.task->subtitle_path, f.task->subtitle_candidates);
    dialog.show();
    Click(dialog.StyleButton());
    EXPECT_EQ(ReadFile(log), "init 0\ndialog\nset\nexit\n");
    EXPECT_EQ(dialog.WorkingPath(), f.tracks[0]);
    unsetenv("FAKE_SUBTITLES_LOG");
}
