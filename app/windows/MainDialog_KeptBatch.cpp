// SPDX-License-Identifier: GPL-3.0-or-later
// The kept batch in the window: the task list kept in the user's state folder as it changes,
// offered back at start-up when its batch did not finish, and closed before the list is cleared.
//
// The list changes in many places (the list controller, the task windows, the profile picker),
// and every one of them ends in the rows of the list view: the window watches the view's model
// and, once the change's events are handled, tells the store of the tasks it has not seen. A
// task window that changes nothing in a row is caught when the main window is active again.
#include "MainDialog.h"

#include "texts/ui/UiText.h"

#include "MessageBoxPrompter.h"
#include "TaskListView.h"
#include "core/BatchStore.h"
#include "core/ResumeRule.h"
#include "platform/Paths.h"
#include "texts/LanguageKeys.h"
#include "texts/LanguageTable.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QMessageBox>
#include <QPushButton>

#include <iostream>

namespace quillet {

void MainDialog::KeepBatch(const std::filesystem::path &folder)
{
    auto store = std::make_unique<BatchStore>(m_tasks, folder);
    switch (store->Open()) {
    case BatchStore::OpenResult::Owned:
        break;
    case BatchStore::OpenResult::Busy:
        // Another window keeps the batch: this one converts as before, keeping nothing.
        std::cerr << "quillet: "
                  << FormatText(LookupKeyFormat(m_languages,
                                                CataloguedKey("KEPT_BATCH", "strKeptBusyInfo")),
                                store->FilePath().c_str())
                  << '\n';
        return;
    case BatchStore::OpenResult::Failed:
        std::cerr << "quillet: the task list is not kept: " << store->Error() << '\n';
        return;
    }
    m_kept = std::move(store);

    BatchStore::ReadResult read = m_kept->Read(m_languages);
    if (read.status == BatchStore::ReadResult::Status::SetAside) {
        std::cerr << "quillet: " << read.reason << '\n';
        Tell(read.message, {}, Icon::Warning);
    } else if (read.status == BatchStore::ReadResult::Status::Kept) {
        // The Add menu that opens by itself would open over the question; it opens after a
        // Discard, to an empty list.
        const bool add_menu_due = m_add_menu_timer.isActive();
        m_add_menu_timer.stop();
        if (OfferRestore(read.batch) && AskRestore(static_cast<int>(read.batch.tasks.size())))
            RestoreTasks(m_kept->Restore(std::move(read.batch)));
        else
            m_kept->Discard();
        if (add_menu_due && m_tasks.Count() == 0)
            m_add_menu_timer.start();
    }

    connect(&m_kept_timer, &QTimer::timeout, this, &MainDialog::PollKeptBatch,
            Qt::UniqueConnection);
    m_kept_timer.setSingleShot(true);
    QAbstractItemModel *rows = m_list->model();
    const auto note = [this] { NoteListChange(); };
    connect(rows, &QAbstractItemModel::rowsInserted, this, note);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, note);
    connect(rows, &QAbstractItemModel::rowsMoved, this, note);
    connect(rows, &QAbstractItemModel::dataChanged, this, note);
    connect(rows, &QAbstractItemModel::layoutChanged, this, note);
    connect(rows, &QAbstractItemModel::modelReset, this, note);
    SyncKeptBatch();
}

bool MainDialog::AskRestore(int count)
{
    const std::string question = count == 1
        ? LookupKey(m_languages, CataloguedKey("KEPT_BATCH", "strRestoreOfferOneInfo"))
        : FormatText(
            LookupKeyFormat(m_languages, CataloguedKey("KEPT_BATCH", "strRestoreOfferInfo")),
            count);
    if (m_prompter != m_own_prompter.get())
        return m_prompter->Ask(question);
    QMessageBox box(QMessageBox::Question, WindowCaption(), QString::fromStdString(question),
                    QMessageBox::NoButton, this);
    QPushButton *restore
        = box.addButton(UiText(m_languages, CataloguedKey("KEPT_BATCH", "btnRestoreInfo")),
                        QMessageBox::AcceptRole);
    box.addButton(UiText(m_languages, CataloguedKey("KEPT_BATCH", "btnDiscardInfo")),
                  QMessageBox::RejectRole);
    box.setDefaultButton(restore);
    box.exec();
    return box.clickedButton() == restore;
}

void MainDialog::RestoreTasks(std::vector<std::unique_ptr<Task>> restored)
{
    for (std::unique_ptr<Task> &task : restored) {
        InsertRow(m_tasks.Count(), platform::FileNameOf(task->source_path));
        m_tasks.Add(std::move(task));
    }
    // The rows are filled once all are listed: refreshing each as the last row would sum every
    // task's estimate for the totals line a thousand times.
    m_controller.RefreshAllRows();
    m_controller.AfterListChange();
    ShowKeptRows();
}

void MainDialog::ShowKeptRows()
{
    for (int row = 0; row < m_tasks.Count(); ++row) {
        const TaskFacts *facts = m_kept->Facts(*m_tasks.Get(row));
        if (!facts)
            continue;
        if (facts->condition != SourceCondition::Unchanged) {
            const LanguageKey &why = facts->condition == SourceCondition::Gone
                ? CataloguedKey("KEPT_BATCH", "strSourceGoneInfo")
                : CataloguedKey("KEPT_BATCH", "strSourceChangedInfo");
            m_list->SetOutcome(row, TaskListView::Outcome::Failed, UiText(m_languages, why));
        } else if (facts->run.made) {
            m_list->SetOutcome(
                row, TaskListView::Outcome::Made,
                QString::fromStdString(FormatText(
                    LookupKeyFormat(m_languages, CataloguedKey("KEPT_BATCH", "strAlreadyMadeInfo")),
                    std::string(platform::FileNameOf(facts->run.made->path)).c_str())));
        }
    }
}

void MainDialog::NoteListChange()
{
    // Coalesced: adding a folder of a thousand files is one look at the list, not a thousand.
    if (!m_kept_sync_due) {
        m_kept_sync_due = true;
        QMetaObject::invokeMethod(this, &MainDialog::SyncKeptBatch, Qt::QueuedConnection);
    }
}

void MainDialog::SyncKeptBatch()
{
    m_kept_sync_due = false;
    // Tasks no longer listed are forgotten by the store at its next write.
    for (const auto &task : m_tasks) {
        const TaskFacts *facts = m_kept->Facts(*task);
        // A new task may be made where a removed one was: its facts are not the new task's.
        if (facts && facts->source_path != task->source_path) {
            m_kept->TaskRemoved(*task);
            facts = nullptr;
        }
        if (!facts)
            m_kept->TaskAdded(*task);
    }
    m_kept->NoteChange();
    PollKeptBatch();
}

void MainDialog::PollKeptBatch()
{
    m_kept->Poll();
    if (const auto due = m_kept->TimeUntilDue())
        m_kept_timer.start(static_cast<int>(due->count()));
}

void MainDialog::changeEvent(QEvent *event)
{
    // Back from a task window (subtitle, audio track, options): what it changed is kept.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        NoteListChange();
    QDialog::changeEvent(event);
}

} // namespace quillet
