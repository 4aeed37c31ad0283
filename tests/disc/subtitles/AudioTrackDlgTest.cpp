// SPDX-License-Identifier: GPL-3.0-or-later
// The Audio track dialog: the task's tracks as a check list, the marks written back however the
// dialog is closed.

#include "disc/subtitles/CAudioTrackDlg.h"

#include "ModalDriver.h"

#include "core/TaskList.h"
#include "texts/Texts.h"

#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillet;
using quillet::test::WhenModal;

namespace {

struct ThreeTracks
{
    TaskList tasks;
    Task *task = nullptr;
    BuiltInTexts texts;

    ThreeTracks()
    {
        auto made = std::make_unique<Task>();
        const char *descriptions[]
            = {"Audio: aac, 48000 Hz, stereo (eng)", "Audio: ac3, 48000 Hz, 5.1 (ger)",
               "Audio: mp3, 44100 Hz, stereo (commentary)"};
        for (int i = 0; i < 3; ++i) {
            AudioTrack track;
            track.ordinal = i;
            track.selected = i == 0 ? 1 : 0;
            track.description = descriptions[i];
            made->audio_tracks.push_back(track);
        }
        task = made.get();
        tasks.Add(std::move(made));
    }

    std::vector<int> Selected() const
    {
        std::vector<int> flags;
        for (const AudioTrack &track : task->audio_tracks)
            flags.push_back(track.selected);
        return flags;
    }
};

/// Toggles a row's check mark as a user does: select it, then the space bar.
void Toggle(QListWidget *list, int row)
{
    list->setCurrentRow(row);
    QTest::keyClick(list, Qt::Key_Space);
}

} // namespace

TEST(AudioTrackDialog, showsEveryTrackWithItsMark)
{
    ThreeTracks f;
    WhenModal<CAudioTrackDlg>([&](CAudioTrackDlg *dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Audio track");
        QListWidget *list = dialog->List();
        ASSERT_EQ(list->count(), 3);
        EXPECT_EQ(list->item(1)->text(), "Audio: ac3, 48000 Hz, 5.1 (ger)");
        EXPECT_EQ(list->item(0)->checkState(), Qt::Checked);
        EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked);
        EXPECT_EQ(list->item(2)->checkState(), Qt::Unchecked);
        dialog->reject();
    });
    EXPECT_TRUE(CAudioTrackDlg::EditSelectedTask(nullptr, f.tasks, {0}, f.texts));
    EXPECT_EQ(f.Selected(), (std::vector<int>{1, 0, 0}));
}

TEST(AudioTrackDialog, escapeKeepsTheMarksTheUserSet)
{
    ThreeTracks f;
    WhenModal<CAudioTrackDlg>([&](CAudioTrackDlg *dialog) {
        Toggle(dialog->List(), 2);
        Toggle(dialog->List(), 0);
        // A click on the check box itself toggles too.
        QListWidget *list = dialog->List();
        const QRect row = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          QPoint(row.left() + row.height() / 2, row.center().y()));
        EXPECT_EQ(list->item(1)->checkState(), Qt::Checked);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_TRUE(CAudioTrackDlg::EditSelectedTask(nullptr, f.tasks, {0}, f.texts));
    EXPECT_EQ(f.Selected(), (std::vector<int>{0, 1, 1}));
}

TEST(AudioTrackDialog, theCloseBoxKeepsTheMarksToo)
{
    ThreeTracks f;
    WhenModal<CAudioTrackDlg>([&](CAudioTrackDlg *dialog) {
        Toggle(dialog->List(), 1);
        dialog->close();
    });
    EXPECT_TRUE(CAudioTrackDlg::EditSelectedTask(nullptr, f.tasks, {0}, f.texts));
    EXPECT_EQ(f.Selected(), (std::vector<int>{1, 1, 0}));
}

TEST(AudioTrackDialog, opensOnlyForExactlyOneSelectedTaskOfTheList)
{
    ThreeTracks f;
    f.tasks.Add(std::make_unique<Task>());
    EXPECT_FALSE(CAudioTrackDlg::EditSelectedTask(nullptr, f.tasks, {0, 1}, f.texts));
    EXPECT_FALSE(CAudioTrackDlg::EditSelectedTask(nullptr, f.tasks, {}, f.texts));
    EXPECT_FALSE(CAudioTrackDlg::EditSelectedTask(nullptr, f.tasks, {5}, f.texts));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(f.Selected(), (std::vector<int>{1, 0, 0}));
}
