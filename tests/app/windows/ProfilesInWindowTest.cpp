// SPDX-License-Identifier: GPL-3.0-or-later
// The profile picker, the media size list and the file information dialog on the main window.
#include "CFileInfoDlg.h"
#include "CGradientProgress.h"
#include "CIconListBox.h"
#include "CMediaSizeList.h"
#include "CProfileComboBox.h"
#include "CProfileComboDlg.h"
#include "CSkinButton.h"
#include "TaskListView.h"
#include "WindowHarness.h"
#include "platform/PrivateProfile.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace quillet;
using namespace quillet::test;
namespace fs = std::filesystem;

namespace {

void AddClip(WindowHarness &h, const std::string &name)
{
    const fs::path copy = h.MediaFolder() / name;
    fs::copy_file(GeneratedClip("clip.mp4"), copy, fs::copy_options::overwrite_existing);
    h.Window().AddStartFiles({copy.string()});
}

/// Commits the profile shown at row of the group in the picker's drop-down, as a user does.
void Pick(MainDialog &w, int group, int row)
{
    CProfileComboBox *picker = w.ProfilePicker();
    picker->OpenPopup();
    CProfileComboDlg *popup = picker->Popup();
    CIconListBox *groups = popup->GroupPane();
    const QPoint group_at = groups->visualItemRect(groups->item(group)).center();
    QMouseEvent move(QEvent::MouseMove, group_at, groups->viewport()->mapToGlobal(group_at),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(groups->viewport(), &move);
    CIconListBox *items = popup->ItemPane();
    const QPoint item_at = items->visualItemRect(items->item(row)).center();
    QMouseEvent over(QEvent::MouseMove, item_at, items->viewport()->mapToGlobal(item_at),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(items->viewport(), &over);
    QTest::mouseClick(items->viewport(), Qt::LeftButton, {}, item_at);
    QTest::qWait(20); // the pick is announced after the click
}

std::string Kreldef(const WindowHarness &h, const char *key)
{
    return platform::ReadProfileString("OUTPUT_DEFAULT", key, "", 256,
                                       h.ProgramFolder() + "/ini/kreldef.ini");
}

constexpr int kIpodGroup = 2;
constexpr int kCommonAudioGroup = 5;

} // namespace

TEST(ProfilesInWindow, startUpShowsTheRememberedProfile)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    EXPECT_EQ(w.ProfilePicker()->CommittedText(), "iPad Video H.264 (1024x768)");
    EXPECT_EQ(w.State().current_profile.profile_path.str(),
              h.ProgramFolder() + "/ini/ipadh264.ini");
    EXPECT_EQ(w.State().current_profile.TargetType.str(), "mp4");
    EXPECT_EQ(w.State().default_profile.aspect_index, 1);
    EXPECT_EQ(w.MediaSizeList()->currentText(), "No split");
}

TEST(ProfilesInWindow, aPickIsRememberedLoadedAndAppliedToEveryTaskWithApplyToAll)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddClip(h, "one.mp4");
    AddClip(h, "two.mp4");
    ASSERT_TRUE(w.ApplyToAllBox()->isChecked());
    const auto group_items
        = w.ProfilePicker()->Popup()->Catalogue().ItemsShownFor(kCommonAudioGroup);
    ASSERT_FALSE(group_items.empty());
    Pick(w, kCommonAudioGroup, 0);

    const std::string section = group_items[0]->section;
    EXPECT_EQ(w.ProfilePicker()->CommittedText().toStdString(), section);
    EXPECT_EQ(Kreldef(h, "outputinifile"), group_items[0]->ini_file);
    EXPECT_EQ(Kreldef(h, "outputprofile"), section);
    EXPECT_EQ(Kreldef(h, "outputcalcaspect"), "1");
    EXPECT_EQ(w.State().current_profile.section_name.str(), section);
    for (const auto &task : h.tasks) {
        EXPECT_EQ(task->settings.section_name.str(), section);
        EXPECT_EQ(fs::path(task->destination_path).extension().string(),
                  "." + task->settings.TargetType.str());
    }
    // The rows show the new destinations.
    EXPECT_EQ(w.ListView()->topLevelItem(0)->text(4).toStdString(),
              fs::path(h.tasks.Get(0)->destination_path).filename().string());
}

TEST(ProfilesInWindow, withoutApplyToAllAPickChangesTheSelectedTaskOnly)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddClip(h, "one.mp4");
    AddClip(h, "two.mp4");
    h.prompter.answers = {}; // unticking asks nothing
    QTest::mouseClick(w.ApplyToAllBox(), Qt::LeftButton);
    ASSERT_FALSE(w.ApplyToAllBox()->isChecked());
    EXPECT_FALSE(h.app.apply_to_all_flag);
    w.SelectOnly(0);
    Pick(w, kIpodGroup, 0);
    const std::string picked = w.ProfilePicker()->CommittedText().toStdString();
    EXPECT_EQ(h.tasks.Get(0)->settings.section_name.str(), picked);
    EXPECT_EQ(h.tasks.Get(1)->settings.section_name.str(), "iPad Video H.264 (1024x768)");

    // Selecting the other task brings its own profile back into the picker.
    w.SelectOnly(1);
    EXPECT_EQ(w.ProfilePicker()->CommittedText(), "iPad Video H.264 (1024x768)");
    EXPECT_EQ(w.State().current_profile.section_name.str(), "iPad Video H.264 (1024x768)");
    // The remembered pick is not changed by selecting.
    EXPECT_EQ(Kreldef(h, "outputprofile"), picked);
}

TEST(ProfilesInWindow, applyToAllAsksAndANoLeavesItOff)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddClip(h, "one.mp4");
    QTest::mouseClick(w.ApplyToAllBox(), Qt::LeftButton); // off
    h.prompter.answers = {false};
    QTest::mouseClick(w.ApplyToAllBox(), Qt::LeftButton); // on: asks, No
    ASSERT_EQ(h.prompter.asked.size(), 1u);
    EXPECT_EQ(h.prompter.asked[0], "Apply current Profile and Settings to All?");
    EXPECT_FALSE(w.ApplyToAllBox()->isChecked());
    EXPECT_FALSE(h.app.apply_to_all_flag);

    // Merge ticks Apply to All with it.
    QTest::mouseClick(w.MergeBox(), Qt::LeftButton);
    EXPECT_TRUE(h.app.merge_flag);
    EXPECT_TRUE(w.ApplyToAllBox()->isChecked());
    EXPECT_TRUE(h.app.apply_to_all_flag);
}

TEST(ProfilesInWindow, aDiscProfileLimitsTheSizesAndTheBarShowsTheDiscFill)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddClip(h, "one.mp4");
    CProfileComboDlg *popup = w.ProfilePicker()->Popup();
    const int all = popup->Catalogue().GroupCount() - 1;
    const auto items = popup->Catalogue().ItemsShownFor(all);
    int avchd = -1;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i]->ini_file == "avchd_h264.ini")
            avchd = int(i);
    ASSERT_GE(avchd, 0);
    Pick(w, all, avchd);
    EXPECT_EQ(w.MediaSizeList()->count(), 4);
    EXPECT_EQ(w.MediaSizeList()->currentText(), "DVD-5 (4.7GB)");
    EXPECT_TRUE(w.ProgressBar()->Caption().endsWith("| DVD-5 (4.7GB)"));
    // A pick made from "All Profiles" keeps that group in the drop-down.
    EXPECT_EQ(popup->Catalogue().CommittedGroup(), all);
}

TEST(ProfilesInWindow, propertiesShowWhatTheProbeFound)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddClip(h, "facts.mp4");
    QStringList seen;
    ActOnModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<CFileInfoDlg *>(modal);
        if (!dialog)
            return false;
        seen << dialog->windowTitle() << dialog->FileNameField()->text()
             << dialog->LengthField()->text() << dialog->VideoField()->toPlainText()
             << dialog->AudioField()->toPlainText();
        for (QLabel *label : dialog->Labels())
            seen << label->text();
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        return true;
    });
    TaskListView *list = w.ListView();
    // Press, release, double click, release: the order the platform delivers them in.
    const QPoint at = list->visualItemRect(list->topLevelItem(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QMouseEvent twice(QEvent::MouseButtonDblClick, at, list->viewport()->mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &twice);
    ASSERT_EQ(seen.size(), 9);
    EXPECT_EQ(seen[0], "Properties");
    EXPECT_EQ(seen[1], "facts.mp4");
    EXPECT_EQ(seen[2], "00:00:01");
    EXPECT_EQ(seen[3],
              QString::fromStdString(h.tasks.Get(0)->video_description.str())
                  .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_TRUE(seen[3].contains("320")) << seen[3].toStdString();
    EXPECT_TRUE(seen[4].startsWith("0: ")) << seen[4].toStdString();
    EXPECT_TRUE(seen[4].endsWith("\n"));
    EXPECT_EQ(
        seen.mid(5),
        QStringList({"File Name:", "Media Length:", "Video information:", "Audio information:"}));
}
