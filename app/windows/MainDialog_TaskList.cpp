// SPDX-License-Identifier: GPL-3.0-or-later
// The task list as the main window shows it: rows, selection, adding, removing, moving, drops
// and the file information dialog.
#include "MainDialog.h"

#include "CFileInfoDlg.h"
#include "CGradientProgress.h"
#include "CMediaSizeList.h"
#include "CSkinButton.h"
#include "FileChooser.h"
#include "TaskListView.h"
#include "app/ConverterApp.h"
#include "core/ExtensionList.h"
#include "core/TaskList.h"
#include "platform/OpticalDrives.h"
#include "texts/LanguageTable.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

namespace quillet {

namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The part of the disc bar beyond the disc.
const QColor kOverflowRed(200, 30, 30);

// Cell alignment by column: lengths to the right, the size centred.
constexpr Qt::Alignment kCellAlignment[TaskListView::kColumns]
    = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignLeft};

} // namespace

void MainDialog::InsertRow(int index, std::string_view first_cell)
{
    auto *row = new QTreeWidgetItem;
    for (int c = 0; c < TaskListView::kColumns; ++c)
        row->setTextAlignment(c, kCellAlignment[c] | Qt::AlignVCenter);
    row->setText(0, FromUtf8(first_cell));
    // A run's marks describe the list it ran on; once rows come, go or move, a mark would sit
    // on another task's row.
    m_list->ClearOutcomes();
    m_list->insertTopLevelItem(index, row);
}

void MainDialog::SetCell(int row, int column, std::string_view text)
{
    QTreeWidgetItem *item = m_list->topLevelItem(row);
    if (!item)
        return;
    item->setText(column, FromUtf8(text));
    // The source and destination cells tell their whole paths when hovered.
    if (const Task *task = m_tasks.Get(row)) {
        if (column == 0)
            item->setToolTip(0, FromUtf8(task->source_path));
        else if (column == 4)
            item->setToolTip(4, FromUtf8(m_controller.ShownDestination(row)));
    }
}

void MainDialog::DeleteRow(int row)
{
    m_list->ClearOutcomes();
    delete m_list->takeTopLevelItem(row);
}

std::vector<int> MainDialog::SelectedRows() const
{
    return m_list->SelectedRows();
}

void MainDialog::SelectOnly(int row)
{
    m_list->SelectOnly(row);
}

void MainDialog::SelectRows(const std::vector<int> &rows)
{
    m_list->SelectRows(rows);
}

void MainDialog::SetWaitCursor(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

std::vector<std::string> MainDialog::ChooseFiles(std::string_view title, std::string_view initial)
{
    std::vector<FileFilter> filters;
    for (TypeFilter &filter : OpenFileFilters())
        filters.push_back({std::move(filter.description), std::move(filter.pattern)});
    return m_chooser->ChooseFiles(title, initial, filters);
}

std::optional<std::string> MainDialog::ChooseFolder(std::string_view title,
                                                    std::string_view instruction)
{
    return m_chooser->ChooseFolder(title, instruction, {});
}

void MainDialog::SetSummary(std::string_view caption)
{
    m_progress->SetCaption(FromUtf8(caption), false);
    m_progress->update();
}

void MainDialog::SetSummaryPosition(int position)
{
    // Every position but the idle disc fill's is out of 100: a shown overflow ends here.
    if (m_progress->maximum() != 100) {
        m_progress->setRange(0, 100);
        m_progress->SetGradientColors(m_bar_colors);
    }
    m_progress->setValue(std::clamp(position, m_progress->minimum(), m_progress->maximum()));
}

void MainDialog::SetDiscOverflow(int percent)
{
    if (percent <= 100)
        return;
    if (m_progress->maximum() == 100)
        m_bar_colors = m_progress->GradientColors();
    // The whole bar is the batch; the disc's share keeps the bar's colours, the rest is red.
    // One colour stop per step of the scale, at most 400, so the edge is sharp to a pixel or two.
    const int steps = std::min(percent, 400);
    const QColor from = m_bar_colors.value(0), to = m_bar_colors.value(m_bar_colors.size() - 1);
    QList<QColor> colors;
    for (int i = 0; i <= steps; ++i) {
        const double at = double(i) * percent / steps; // percent of the disc at this stop
        if (at <= 100) {
            const double t = at / 100;
            colors << QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * t),
                                       float(from.greenF() + (to.greenF() - from.greenF()) * t),
                                       float(from.blueF() + (to.blueF() - from.blueF()) * t));
        } else {
            colors << kOverflowRed;
        }
    }
    m_progress->SetGradientColors(colors);
    m_progress->setRange(0, percent);
    m_progress->setValue(percent);
}

std::string MainDialog::SplitChoiceText() const
{
    return m_sizes->SelectedText();
}

int MainDialog::CustomSplitSizeMb() const
{
    return m_sizes->CustomSizeMb();
}

void MainDialog::OnAddFiles()
{
    m_controller.AddFilesFromDialog();
}

void MainDialog::OnAddFolder()
{
    m_controller.AddFolder();
}

void MainDialog::OnImportDisc()
{
    m_controller.ImportDisc(platform::DriveSources::FromEnvironment());
}

void MainDialog::OnRemoveAll()
{
    m_controller.RemoveAll();
}

void MainDialog::OnUp()
{
    m_list->ClearOutcomes();
    m_controller.MoveSelectedUp();
}

void MainDialog::OnDown()
{
    m_list->ClearOutcomes();
    m_controller.MoveSelectedDown();
}

void MainDialog::OnRemoveSelected()
{
    m_controller.RemoveSelected();
}

void MainDialog::OnDeleteKey()
{
    // The Delete button is disabled during a batch, and so is its key.
    if (!m_state.converting && !m_list->SelectedRows().empty())
        OnRemoveSelected();
}

void MainDialog::ClearOutcomeMarks(const std::vector<int> &rows)
{
    for (int row : rows)
        m_list->SetOutcome(row, TaskListView::Outcome::None, QString());
}

void MainDialog::OnListSelectionChanged()
{
    // The buttons follow every change of the selection; the profile follows a single row.
    UpdateButtonStates();
    const std::vector<int> selected = m_list->SelectedRows();
    if (selected.size() == 1)
        ReloadProfileFromTask(selected.front());
    // Several rows move as a block: Up and Down say whether the block can go that way.
    if (selected.size() > 1 && !m_state.converting) {
        m_up->setEnabled(m_controller.CanMoveSelectedUp());
        m_down->setEnabled(m_controller.CanMoveSelectedDown());
    }
}

void MainDialog::OnProperties()
{
    const std::vector<int> selected = m_list->SelectedRows();
    if (selected.size() != 1)
        return;
    const Task *task = m_tasks.Get(selected.front());
    if (!task)
        return;
    CFileInfoDlg dialog(*task, m_languages, this);
    dialog.exec();
}

void MainDialog::dragEnterEvent(QDragEnterEvent *event)
{
    // Nothing joins the list while a batch works through it.
    if (!m_state.converting && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainDialog::dropEvent(QDropEvent *event)
{
    if (m_state.converting || !event->mimeData()->hasUrls())
        return;
    std::vector<std::string> paths;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    event->acceptProposedAction();
    // Added once the drop is over, so the file manager is not kept waiting while they are probed.
    QMetaObject::invokeMethod(
        this, [this, paths] { m_controller.AddDroppedFiles(paths); }, Qt::QueuedConnection);
}

} // namespace quillet
