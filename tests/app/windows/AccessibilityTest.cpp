// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader finds in every window: each visible control named and of its kind's role,
// the task list's rows and columns, the progress bar's value and status line.
#include "AccessibleAudit.h"
#include "CCustomSizeDlg.h"
#include "CFileInfoDlg.h"
#include "CGradientProgress.h"
#include "CMediaSizeList.h"
#include "CProfileComboBox.h"
#include "CProfileComboDlg.h"
#include "SheetTestSupport.h"
#include "TaskListView.h"
#include "WindowHarness.h"
#include "disc/subtitles/CAudioTrackDlg.h"
#include "disc/subtitles/CSubtitleDlg.h"
#include "disc/subtitles/CWaittingDlg.h"
#include "profiles/sheet/CExPropertySheet.h"
#include "profiles/sheet/CNewProfileDlg.h"

#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>

using namespace quillet;
using namespace quillet::test;

namespace {

/// Audits window under the label; QUILLET_ACCESSIBLE_DUMP=1 prints the tree too.
void Audit(const QString &label, QWidget *window, QStringList &faults)
{
    const AccessibleAudit audit = AuditWindow(window);
    for (const QString &fault : audit.faults)
        faults << label + QStringLiteral(": ") + fault;
    if (qEnvironmentVariableIntValue("QUILLET_ACCESSIBLE_DUMP") != 0)
        std::printf("== %s\n%s\n", qPrintable(label), qPrintable(audit.tree.join('\n')));
}

} // namespace

TEST(Accessibility, everyVisibleControlOfEveryWindowHasANameAndTheRoleOfItsKind)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddCopies(h, {"first.mp4", "second.mp4"}, GeneratedClip("clip.mp4"));
    QStringList faults;
    Audit(QStringLiteral("main window"), &w, faults);

    CProfileComboBox *picker = w.ProfilePicker();
    picker->OpenPopup();
    ASSERT_TRUE(picker->PopupVisible());
    Audit(QStringLiteral("picker"), picker->Popup(), faults);
    picker->Popup()->HideNow();

    {
        CFileInfoDlg info(*h.tasks.Get(0), h.languages, &w);
        info.show();
        Audit(QStringLiteral("file information"), &info, faults);
    }

    w.SelectOnly(1);
    UiScript sheet;
    sheet
        .Then<CExPropertySheet>([&](CExPropertySheet *window) {
            for (int page = 0; page < CExPropertySheet::kPageCount; ++page) {
                window->SetActivePage(page);
                Audit(QStringLiteral("sheet page %1").arg(page), window, faults);
            }
            window->ChooseSaveCommand(CExPropertySheet::kSaveAsAndApply);
        })
        .Then<CNewProfileDlg>([&](CNewProfileDlg *window) {
            Audit(QStringLiteral("new profile"), window, faults);
            window->reject();
        });
    w.OnOptions();
    EXPECT_EQ(sheet.Pending(), 0u);

    Task &task = *h.tasks.Get(1);
    const auto subtitle = h.MediaFolder() / "second.srt";
    WriteFile(subtitle, "1\n00:00:00,500 --> 00:00:02,000\nWords\n");
    task.subtitle_candidates = {subtitle.string()};
    UiScript tracks;
    tracks.Then<CSubtitleDlg>([&](CSubtitleDlg *window) {
        Audit(QStringLiteral("subtitles"), window, faults);
        window->reject();
    });
    w.OnSubtitle();
    UiScript audio;
    audio.Then<CAudioTrackDlg>([&](CAudioTrackDlg *window) {
        Audit(QStringLiteral("audio tracks"), window, faults);
        window->reject();
    });
    w.OnAudioTrack();
    EXPECT_EQ(tracks.Pending() + audio.Pending(), 0u);

    CWaittingDlg *waitting = CWaittingDlg::Show(&w);
    waitting->Update(48, "Extracting subtitles from second.mkv");
    Audit(QStringLiteral("waitting"), waitting, faults);
    waitting->Close();

    if (CCustomSizeDlg *custom = w.MediaSizeList()->CustomSizeDialog()) {
        custom->show();
        Audit(QStringLiteral("custom size"), custom, faults);
        custom->hide();
    } else {
        ADD_FAILURE() << "the main window made no custom size dialog";
    }

    EXPECT_TRUE(faults.isEmpty()) << qPrintable(faults.join('\n'));
}

TEST(Accessibility, theProgressBarSaysItsPercentageAndTheStatusLineAndTheListItsColumns)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddCopies(h, {"first.mp4"}, GeneratedClip("clip.mp4"));

    CGradientProgress *bar = w.ProgressBar();
    bar->setValue(37);
    QAccessibleInterface *progress = QAccessible::queryAccessibleInterface(bar);
    ASSERT_NE(progress->valueInterface(), nullptr);
    EXPECT_EQ(progress->valueInterface()->currentValue().toInt(), 37);
    EXPECT_EQ(progress->text(QAccessible::Value), QStringLiteral("37%"));
    EXPECT_EQ(progress->text(QAccessible::Name), bar->Caption());
    EXPECT_FALSE(bar->Caption().isEmpty());

    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(w.ListView());
    QAccessibleTableInterface *table = list->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 1);
    const QTreeWidgetItem *header = w.ListView()->headerItem();
    ASSERT_EQ(table->columnCount(), header->columnCount());
    for (int column = 0; column < table->columnCount(); ++column) {
        QAccessibleInterface *cell = table->cellAt(0, column);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->text(QAccessible::Name), w.ListView()->topLevelItem(0)->text(column));
        const QList<QAccessibleInterface *> headers
            = cell->tableCellInterface()->columnHeaderCells();
        ASSERT_EQ(headers.size(), 1) << column;
        EXPECT_EQ(headers.front()->text(QAccessible::Name), header->text(column));
    }
}
