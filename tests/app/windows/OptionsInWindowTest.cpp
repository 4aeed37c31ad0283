// SPDX-License-Identifier: GPL-3.0-or-later
// The option sheet opened from the main window: which task it opens on, what its changes do to
// the task's row, the summary and the converted file, and a profile saved under a new name.
#include "CGradientProgress.h"
#include "CProfileComboBox.h"
#include "CSkinButton.h"
#include "CSkinTabCtrl.h"
#include "MediaFixtures.h"
#include "SheetTestSupport.h"
#include "TaskListView.h"
#include "WindowHarness.h"
#include "core/ProfileApplier.h"
#include "platform/PrivateProfile.h"
#include "profiles/sheet/CExPropertySheet.h"
#include "profiles/sheet/CNewProfileDlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillet;
using namespace quillet::test;
namespace fs = std::filesystem;

namespace {

constexpr const char *kIpadProfile = "iPad Video H.264 (1024x768)";

std::string SizeCell(MainDialog &w, int row)
{
    return w.ListView()->topLevelItem(row)->text(3).toStdString();
}

std::string Summary(MainDialog &w)
{
    return w.ProgressBar()->Caption().toStdString();
}

std::string Kreldef(const WindowHarness &h, const char *section, const char *key)
{
    return platform::ReadProfileString(section, key, "", 256,
                                       h.ProgramFolder() + "/ini/kreldef.ini");
}

} // namespace

TEST(OptionsInWindow, noSelectionIsToldSeveralOpenNothingAndOneOpensTheSheetOnItsTask)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddCopies(h, {"first.mp4", "second.mp4"}, GeneratedClip("clip.mp4"));

    {
        // Whatever would open is a fault: it is closed at once.
        UiScript nothing(2000);
        nothing.Then<QDialog>([](QDialog *dialog) {
            ADD_FAILURE() << "opened " << dialog->windowTitle().toStdString();
            dialog->reject();
        });

        // Nothing selected: only the message.
        w.ListView()->clearSelection();
        w.OnOptions();
        EXPECT_EQ(h.prompter.told, std::vector<std::string>{"No items were selected!"});

        // Two selected: the button stays as it was, and pressing it does nothing.
        ClickRow(w, 0);
        ClickRow(w, 1, Qt::ControlModifier);
        ASSERT_EQ(w.SelectedRows().size(), 2u);
        ASSERT_TRUE(w.OptionsButton()->isEnabled());
        QTest::mouseClick(w.OptionsButton(), Qt::LeftButton);
        EXPECT_EQ(h.prompter.told.size(), 1u);
        EXPECT_EQ(nothing.Pending(), 1u);
    }

    // One, "Apply to All" off: the sheet edits that task's profile, and only that task takes
    // the change.
    QTest::mouseClick(w.ApplyToAllBox(), Qt::LeftButton);
    ASSERT_FALSE(w.ApplyToAllBox()->isChecked());
    ClickRow(w, 1);
    QString caption;
    UiScript one;
    one.Then<CExPropertySheet>([&](CExPropertySheet *sheet) {
        caption = sheet->windowTitle();
        Click(sheet->findChild<QCheckBox *>("disableAudio"));
        Click(sheet->OkButton());
    });
    QTest::mouseClick(w.OptionsButton(), Qt::LeftButton);
    EXPECT_EQ(one.Pending(), 0u);
    EXPECT_EQ(caption.toStdString(), std::string(kIpadProfile) + " - Options");
    EXPECT_EQ(h.tasks.Get(0)->settings.bDisableAudio, 0);
    EXPECT_EQ(h.tasks.Get(1)->settings.bDisableAudio, 1);
    EXPECT_EQ(w.State().current_profile.bDisableAudio, 1);
}

TEST(OptionsInWindow, aTaskSetTo640x480WithoutAudioConvertsSoAndItsSizesFollow)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddCopies(h, {"changed.mp4", "kept.mp4"}, GeneratedClip("clip.mp4", 2.0, 320, 240));
    // Not the last row: its refresh must reach the summary too. The other task keeps its
    // profile: "Apply to All" is off.
    QTest::mouseClick(w.ApplyToAllBox(), Qt::LeftButton);
    ClickRow(w, 0);
    const std::string size_before = SizeCell(w, 0);
    const std::string summary_before = Summary(w);

    UiScript script;
    script.Then<CExPropertySheet>([](CExPropertySheet *sheet) {
        Click(sheet->findChild<QCheckBox *>("disableAudio"));
        ClickTab(sheet->TabStrip(), CExPropertySheet::kResizePage);
        Click(sheet->findChild<QRadioButton *>("size6")); // 640 x 480
        Click(sheet->OkButton());
    });
    QTest::mouseClick(w.OptionsButton(), Qt::LeftButton);
    ASSERT_EQ(script.Pending(), 0u);

    const Task &changed = *h.tasks.Get(0);
    EXPECT_EQ(changed.settings.nVideoRiszeOption, 6);
    EXPECT_EQ(SizeCell(w, 0), QString::asprintf("%.2f MB", EstimatedSizeMb(changed)).toStdString());
    EXPECT_NE(SizeCell(w, 0), size_before);
    const std::string total
        = QString::asprintf("Total Size: %0.2f MB", TotalEstimatedSizeMb(h.tasks)).toStdString();
    EXPECT_NE(Summary(w).find(total), std::string::npos) << Summary(w) << " lacks " << total;
    EXPECT_NE(Summary(w), summary_before);

    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    EXPECT_TRUE(h.prompter.told.empty()) << h.prompter.told.front();
    const ProbedFile out = Ffprobe(fs::path(h.app.OutputFolder()) / "changed.mp4");
    ASSERT_TRUE(out.ok);
    ASSERT_NE(out.first("video"), nullptr);
    EXPECT_EQ(out.first("video")->width, 640);
    EXPECT_EQ(out.first("video")->height, 480);
    EXPECT_EQ(out.count("audio"), 0);
    // The other task kept the profile as it was.
    const ProbedFile kept = Ffprobe(fs::path(h.app.OutputFolder()) / "kept.mp4");
    ASSERT_NE(kept.first("video"), nullptr);
    EXPECT_EQ(kept.first("video")->width, 1024);
    EXPECT_EQ(kept.count("audio"), 1);
}

TEST(OptionsInWindow, aProfileSavedUnderANewNameIsTheOneInUseAlsoAfterARestart)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddCopies(h, {"clip.mp4"}, GeneratedClip("clip.mp4"));
    ClickRow(w, 0);

    QString proposed;
    UiScript script;
    script
        .Then<CExPropertySheet>([](CExPropertySheet *sheet) {
            ClickTab(sheet->TabStrip(), CExPropertySheet::kResizePage);
            Click(sheet->findChild<QRadioButton *>("size6"));
            Click(sheet->SaveButton());
        })
        .Then<QMenu>([](QMenu *menu) { ChooseMenuItem(menu, 1); }) // "Save as and Apply"
        .Then<CNewProfileDlg>([&](CNewProfileDlg *dialog) {
            auto *name = dialog->findChild<QLineEdit *>("edit1054");
            proposed = name->text();
            TypeInto(name, "iPad Small");
            Click(dialog->findChild<QAbstractButton *>("ok"));
        });
    QTest::mouseClick(w.OptionsButton(), Qt::LeftButton);
    ASSERT_EQ(script.Pending(), 0u);
    EXPECT_EQ(proposed.toStdString(), std::string("New ") + kIpadProfile);

    // The task, the window's record and the picker all name the new profile.
    EXPECT_EQ(h.tasks.Get(0)->settings.section_name.str(), "iPad Small");
    EXPECT_EQ(w.State().current_profile.section_name.str(), "iPad Small");
    EXPECT_EQ(w.ProfilePicker()->CommittedText().toStdString(), "iPad Small");
    EXPECT_GE(w.ProfilePicker()->CommittedIndex(), 0);
    const std::string ini = h.ProgramFolder() + "/ini/ipadh264.ini";
    EXPECT_EQ(platform::ReadProfileString("iPad Small", "nVideoRiszeOption", "", 16, ini), "6");
    EXPECT_EQ(Kreldef(h, "default", "ipadh264.ini"), "iPad Small");
    EXPECT_EQ(Kreldef(h, "OUTPUT_DEFAULT", "outputinifile"), "ipadh264.ini");
    EXPECT_EQ(Kreldef(h, "OUTPUT_DEFAULT", "outputprofile"), "iPad Small");
    EXPECT_EQ(Kreldef(h, "OUTPUT_DEFAULT", "outputcalcaspect"), "1");
    // The profile it was saved from is still there, unchanged.
    EXPECT_EQ(platform::ReadProfileString(kIpadProfile, "nVideoRiszeOption", "", 16, ini), "9");

    // Started again, the window opens with it.
    h.DestroyWindow();
    MainDialog &again = h.Start();
    EXPECT_EQ(again.ProfilePicker()->CommittedText().toStdString(), "iPad Small");
    EXPECT_EQ(again.State().current_profile.section_name.str(), "iPad Small");
    EXPECT_EQ(again.State().current_profile.nVideoRiszeOption, 6);
}
