// SPDX-License-Identifier: GPL-3.0-or-later
// The Subtitles and Audio track dialogs opened from the main window, what they make of the
// converted files, the Waitting window over the main window during a real extraction, and the
// skin every one of these windows and the option sheet wear.
#include "CSkinButton.h"
#include "MatroskaFilm.h"
#include "MediaFixtures.h"
#include "SheetTestSupport.h"
#include "TaskListView.h"
#include "WindowHarness.h"
#include "core/SubtitleOffer.h"
#include "disc/subtitles/CAudioTrackDlg.h"
#include "disc/subtitles/CSubtitleDlg.h"
#include "disc/subtitles/CWaittingDlg.h"
#include "profiles/sheet/CExPropertySheet.h"
#include "profiles/sheet/CNewProfileDlg.h"

#include <dolmar.h>

#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace quillet;
using namespace quillet::test;
namespace fs = std::filesystem;

namespace {

/// Clicks the check box of a row of a check list.
void ClickCheck(QListWidget *list, int row)
{
    const QRect rect = list->visualItemRect(list->item(row));
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    const int indicator = list->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, list);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(rect.left() + margin + indicator / 2, rect.center().y()));
}

/// The engine, with every argument vector it is given kept.
void RecordEngineCalls(MainDialog &w, std::vector<std::vector<std::string>> &calls)
{
    w.Driver().SetEngine([&calls](int argc, char **argv, ProgressCallback report) {
        calls.emplace_back(argv, argv + argc);
        return ffmain(argc, argv, report);
    });
}

bool HasArguments(const std::vector<std::string> &call, const std::string &first,
                  const std::string &second)
{
    for (std::size_t i = 0; i + 1 < call.size(); ++i)
        if (call[i] == first && call[i + 1] == second)
            return true;
    return false;
}

/// The engine call that made output_name: the engine writes the hidden ".STEM.quillet-..." file
/// that gets that name when it is complete.
const std::vector<std::string> &CallWriting(const std::vector<std::vector<std::string>> &calls,
                                            const std::string &output_name)
{
    const fs::path wanted = output_name;
    const std::string prefix = "." + wanted.stem().string() + ".quillet-";
    for (const auto &call : calls) {
        if (call.empty())
            continue;
        const fs::path written = fs::path(call.back()).filename();
        if (written.string().starts_with(prefix) && written.extension() == wanted.extension())
            return call;
    }
    static const std::vector<std::string> kNone;
    ADD_FAILURE() << "no engine call writes " << output_name;
    return kNone;
}

/// The skin of the program's windows: its blue under a lighter band at the top, and labels in
/// the windows' label blue.
void ExpectProgramLook(QWidget *window)
{
    SCOPED_TRACE(window->windowTitle().toStdString());
    const QImage picture = window->grab().toImage();
    EXPECT_EQ(QColor(picture.pixel(picture.width() - 3, picture.height() - 3)),
              QColor(217, 234, 255));
    EXPECT_GT(QColor(picture.pixel(2, 2)).red(), 240);
    int labels = 0;
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (label->metaObject() != &QLabel::staticMetaObject || label->text().isEmpty()
            || !label->isVisible())
            continue;
        ++labels;
        EXPECT_EQ(label->palette().color(QPalette::WindowText).name().toStdString(),
                  QColor(93, 121, 161).name().toStdString())
            << label->text().toStdString();
    }
    EXPECT_GT(labels, 0);
    // Other controls keep their own colours: the skin's frame colour must not reach a check
    // box, a radio button or a group title through a frame holding them.
    for (const QWidget *control : window->findChildren<QWidget *>()) {
        if (control->isVisible()
            && (qobject_cast<const QAbstractButton *>(control)
                || qobject_cast<const QGroupBox *>(control))
            && !qobject_cast<const CSkinButton *>(control)) {
            EXPECT_EQ(control->palette().color(QPalette::WindowText).name().toStdString(),
                      "#000000")
                << control->metaObject()->className();
        }
    }
}

} // namespace

TEST(TaskWindowsInWindow, subtitleAndAudioOpenOnlyForOneTaskFromTheButtonsAndTheListMenu)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddCopies(h, {"zero.mp4", "one.mp4"}, GeneratedClip("clip.mp4"));
    h.tasks.Get(0)->subtitle_path = "/words/zero.srt";
    h.tasks.Get(1)->subtitle_path = "/words/one.srt";

    // What opens, each window closed at once: its kind and what it shows of its task.
    QStringList opened;
    auto record = [&](UiScript &script) {
        script.Then<QDialog>([&](QDialog *dialog) {
            if (auto *subtitles = qobject_cast<CSubtitleDlg *>(dialog))
                opened << "subtitles " + subtitles->PathField()->text();
            else if (auto *audio = qobject_cast<CAudioTrackDlg *>(dialog))
                opened << "audio " + QString::number(audio->List()->count());
            else
                opened << dialog->windowTitle();
            dialog->reject();
        });
    };

    ClickRow(w, 0);
    ClickRow(w, 1, Qt::ControlModifier);
    ASSERT_TRUE(w.SubtitleButton()->isEnabled());
    ASSERT_TRUE(w.AudioButton()->isEnabled());
    {
        UiScript nothing(2000);
        record(nothing);
        QTest::mouseClick(w.SubtitleButton(), Qt::LeftButton);
        QTest::mouseClick(w.AudioButton(), Qt::LeftButton);
        EXPECT_TRUE(opened.isEmpty()) << opened.join(", ").toStdString();
    }

    ClickRow(w, 1);
    for (const auto &open : std::vector<std::function<void()>>{
             [&] { QTest::mouseClick(w.SubtitleButton(), Qt::LeftButton); },
             [&] { QTest::mouseClick(w.AudioButton(), Qt::LeftButton); },
             [&] { ChooseFromListMenu(w, 1, "Subtitle..."); },
             [&] { ChooseFromListMenu(w, 1, "Audio track..."); },
         }) {
        UiScript script;
        record(script);
        open();
        EXPECT_EQ(script.Pending(), 0u);
    }
    EXPECT_EQ(opened,
              QStringList(
                  {"subtitles /words/one.srt", "audio 1", "subtitles /words/one.srt", "audio 1"}));
    EXPECT_EQ(h.tasks.Get(1)->subtitle_path, "/words/one.srt");
}

TEST(TaskWindowsInWindow, aSubtitleChosenInTheDialogIsBurntIntoTheConvertedPicture)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddCopies(h, {"plain.mp4", "worded.mp4"}, GeneratedClip("clip.mp4", 2.0, 320, 240));
    const fs::path words = WriteFile(h.MediaFolder() / "words.srt",
                                     "1\n00:00:00,000 --> 00:00:02,000\nBurnt in words\n");

    ClickRow(w, 1);
    UiScript script;
    script
        .Then<CSubtitleDlg>([](CSubtitleDlg *dialog) {
            Click(dialog->AddButton());
            Click(dialog->OkButton());
        })
        .Then<QFileDialog>([&](QFileDialog *files) {
            files->selectFile(QString::fromStdString(words.string()));
            // The dialog's own accept, reached as a QDialog's (it is protected in QFileDialog).
            static_cast<QDialog *>(files)->accept();
        });
    QTest::mouseClick(w.SubtitleButton(), Qt::LeftButton);
    ASSERT_EQ(script.Pending(), 0u);
    EXPECT_EQ(h.tasks.Get(1)->subtitle_path, words.string());
    EXPECT_TRUE(h.tasks.Get(0)->subtitle_path.empty());

    std::vector<std::vector<std::string>> calls;
    RecordEngineCalls(w, calls);
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    ASSERT_TRUE(h.prompter.told.empty()) << h.prompter.told.front();
    EXPECT_TRUE(HasArguments(CallWriting(calls, "worded.mp4"), "-vhook",
                             "SubTitleHook -f " + words.string()));
    const auto &plain_call = CallWriting(calls, "plain.mp4");
    EXPECT_EQ(std::find(plain_call.begin(), plain_call.end(), "-vhook"), plain_call.end());

    // The same source converted with and without the subtitle: the text's pixels differ.
    const RgbFrame plain = GrabFrame(fs::path(h.app.OutputFolder()) / "plain.mp4", 1.0);
    const RgbFrame worded = GrabFrame(fs::path(h.app.OutputFolder()) / "worded.mp4", 1.0);
    ASSERT_FALSE(plain.empty());
    ASSERT_EQ(plain.width, worded.width);
    ASSERT_EQ(plain.height, worded.height);
    int changed = 0;
    for (int y = 0; y < plain.height; ++y) {
        for (int x = 0; x < plain.width; ++x) {
            const uint32_t a = plain.at(x, y);
            const uint32_t b = worded.at(x, y);
            int difference = 0;
            for (int shift : {0, 8, 16})
                difference += std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
            changed += difference > 96 ? 1 : 0;
        }
    }
    // About 5,800 pixels of 786,432 differ here; the encoder's own noise stays below the bar.
    EXPECT_GT(changed, 1000) << "the subtitle is not in the picture";
    ::testing::Test::RecordProperty("changed_pixels", changed);
}

TEST(TaskWindowsInWindow, theAudioTracksTickedInTheDialogAreTheAudioStreamsOfTheOutput)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    ClipRecipe two_tracks;
    two_tracks.seconds = 1.0;
    two_tracks.audio_streams = 2;
    const fs::path clip = MakeClip(h.MediaFolder() / "source.mkv", two_tracks);
    AddCopies(h, {"both.mkv", "first.mkv"}, clip);
    ASSERT_EQ(h.tasks.Get(0)->audio_tracks.size(), 2u);

    // Both tracks for the first task, closed with Esc.
    ClickRow(w, 0);
    UiScript both;
    both.Then<CAudioTrackDlg>([](CAudioTrackDlg *dialog) {
        EXPECT_EQ(dialog->List()->item(0)->checkState(), Qt::Checked);
        EXPECT_EQ(dialog->List()->item(1)->checkState(), Qt::Unchecked);
        ClickCheck(dialog->List(), 1);
        EXPECT_EQ(dialog->List()->item(1)->checkState(), Qt::Checked);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    QTest::mouseClick(w.AudioButton(), Qt::LeftButton);
    ASSERT_EQ(both.Pending(), 0u);

    // The second task: the second track ticked, then unticked again, closed by its close box.
    ClickRow(w, 1);
    for (Qt::CheckState expected : {Qt::Checked, Qt::Unchecked}) {
        UiScript script;
        script.Then<CAudioTrackDlg>([expected](CAudioTrackDlg *dialog) {
            ClickCheck(dialog->List(), 1);
            EXPECT_EQ(dialog->List()->item(1)->checkState(), expected);
            dialog->close();
        });
        QTest::mouseClick(w.AudioButton(), Qt::LeftButton);
        ASSERT_EQ(script.Pending(), 0u);
    }
    EXPECT_EQ(h.tasks.Get(0)->audio_tracks[1].selected, 1);
    EXPECT_EQ(h.tasks.Get(1)->audio_tracks[1].selected, 0);

    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    ASSERT_TRUE(h.prompter.told.empty()) << h.prompter.told.front();
    EXPECT_EQ(Ffprobe(fs::path(h.app.OutputFolder()) / "both.mp4").count("audio"), 2);
    EXPECT_EQ(Ffprobe(fs::path(h.app.OutputFolder()) / "first.mp4").count("audio"), 1);
}

TEST(TaskWindowsInWindow, aMatroskaFileAddedInTheWindowIsExtractedUnderTheWaittingWindow)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    ASSERT_TRUE(h.matroska.Loaded()) << h.matroska.Error();
    const fs::path film = MakeFilmWithSubtitleTracks(h.MediaFolder());
    h.prompter.answers = {true};

    // What a user sees while the extraction runs, looked at on every pass of the events.
    std::vector<int> bar_values;
    bool main_enabled_while_waiting = false;
    bool owned_by_main = true;
    int paints_while_waiting = 0;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        CWaittingDlg *waitting = CWaittingDlg::Current();
        if (!waitting)
            return;
        if (bar_values.empty() || bar_values.back() != waitting->ProgressBar()->value())
            bar_values.push_back(waitting->ProgressBar()->value());
        owned_by_main = owned_by_main && waitting->parentWidget() == &w && waitting->isVisible();
        main_enabled_while_waiting |= w.isEnabled();
        // The main window has something to paint, as it has while its timers run.
        w.update();
    });
    struct PaintCounter : QObject
    {
        int *count;
        explicit PaintCounter(int *c)
            : count(c)
        { }
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint && CWaittingDlg::Current())
                ++*count;
            return false;
        }
    } counter(&paints_while_waiting);
    w.installEventFilter(&counter);
    watcher.start();
    w.AddStartFiles({film.string()});
    watcher.stop();
    w.removeEventFilter(&counter);

    EXPECT_EQ(h.prompter.asked, std::vector<std::string>{kSubtitleOfferQuestion});
    ASSERT_GE(bar_values.size(), 4u) << "too few progress steps were shown";
    EXPECT_TRUE(std::is_sorted(bar_values.begin(), bar_values.end()));
    EXPECT_EQ(bar_values.back(), 100);
    EXPECT_TRUE(owned_by_main);
    EXPECT_FALSE(main_enabled_while_waiting);
    EXPECT_GE(paints_while_waiting, 3);
    ::testing::Test::RecordProperty("progress_steps", static_cast<int>(bar_values.size()));
    ::testing::Test::RecordProperty("paints_while_waiting", paints_while_waiting);
    EXPECT_EQ(CWaittingDlg::Current(), nullptr);
    EXPECT_TRUE(w.isEnabled());

    ASSERT_EQ(h.tasks.Count(), 1);
    const Task &task = *h.tasks.Get(0);
    const fs::path output = h.app.OutputFolder();
    EXPECT_EQ(task.subtitle_path, (output / "film_0.srt").string());
    ASSERT_EQ(task.subtitle_candidates.size(), 3u);
    for (const std::string &path : task.subtitle_candidates)
        EXPECT_NE(ReadFile(path).find("First line"), std::string::npos) << path;
    EXPECT_TRUE(h.prompter.told.empty());
}

TEST(TaskWindowsInWindow, theSheetTheNamingAndTheTaskWindowsWearTheProgramsSkin)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddCopies(h, {"clip.mp4"}, GeneratedClip("clip.mp4"));
    ClickRow(w, 0);
    const std::string ini = ReadFile(h.ProgramFolder() + "/ini/ipadh264.ini");

    UiScript script;
    script
        .Then<CExPropertySheet>([](CExPropertySheet *sheet) {
            ExpectProgramLook(sheet);
            Click(sheet->SaveButton());
        })
        .Then<QMenu>([](QMenu *menu) { ChooseMenuItem(menu, 1); })
        .Then<CNewProfileDlg>([](CNewProfileDlg *dialog) {
            ExpectProgramLook(dialog);
            dialog->reject();
        })
        .Then<CSubtitleDlg>([](CSubtitleDlg *dialog) {
            ExpectProgramLook(dialog);
            dialog->reject();
        })
        .Then<CAudioTrackDlg>([](CAudioTrackDlg *dialog) {
            // The dialog is its list and nothing else: the background shows at its edge.
            const QImage picture = dialog->grab().toImage();
            EXPECT_EQ(QColor(picture.pixel(picture.width() - 2, picture.height() - 2)),
                      QColor(217, 234, 255));
            EXPECT_GT(QColor(picture.pixel(2, 2)).red(), 240);
            dialog->reject();
        });
    QTest::mouseClick(w.OptionsButton(), Qt::LeftButton);
    QTest::mouseClick(w.SubtitleButton(), Qt::LeftButton);
    QTest::mouseClick(w.AudioButton(), Qt::LeftButton);
    EXPECT_EQ(script.Pending(), 0u);
    // The naming was cancelled: nothing was written.
    EXPECT_EQ(ReadFile(h.ProgramFolder() + "/ini/ipadh264.ini"), ini);

    CWaittingDlg *waitting = CWaittingDlg::Show(&w);
    waitting->Update(48, "Extracting");
    ExpectProgramLook(waitting);
    waitting->Close();
}
