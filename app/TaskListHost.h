// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/SessionHost.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

/**
 * What the task-list operations need of the window that shows the list, beyond what any front
 * end gives (SessionHost): its rows and selection, the button states, the wait cursor, the file
 * and folder dialogs and the summary bar. The main window implements it; a front end without a
 * window gives the controller its SessionHost alone (HeadlessListHost stands in for the rows).
 */
class TaskListHost : public SessionHost
{
public:
    /// Adds a row at index whose first cell holds first_cell; the other cells are empty.
    virtual void InsertRow(int index, std::string_view first_cell) = 0;
    virtual void SetCell(int row, int column, std::string_view text) = 0;
    virtual void DeleteRow(int row) = 0;
    /// Selected rows in ascending order.
    virtual std::vector<int> SelectedRows() const = 0;
    /// Selects row alone (-1: none).
    virtual void SelectOnly(int row) = 0;
    /// Selects rows (ascending) and nothing else; a host that shows one selected row at a time
    /// keeps the last.
    virtual void SelectRows(const std::vector<int> &rows)
    {
        SelectOnly(rows.empty() ? -1 : rows.back());
    }
    /// A window that marks rows with what a run made of them drops the marks of rows, whose
    /// tasks have changed since.
    virtual void ClearOutcomeMarks(const std::vector<int> &rows) { (void)rows; }
    /// Enables and disables the window's controls for the list, selection and converting state.
    virtual void UpdateButtonStates() = 0;
    virtual void SetWaitCursor(bool on) = 0;

    /// The open-file dialog ("Add files..."); the chosen files in the order the dialog lists
    /// them, empty when cancelled. initial is the folder or file the dialog starts at.
    virtual std::vector<std::string> ChooseFiles(std::string_view title, std::string_view initial)
        = 0;
    /// The folder browser; the chosen folder, or nothing when cancelled.
    virtual std::optional<std::string> ChooseFolder(std::string_view title,
                                                    std::string_view instruction)
        = 0;

    /// The summary bar's position (0..100).
    virtual void SetSummaryPosition(int position) = 0;
    /// Idle, after the summary: the disc's fill in percent when the batch needs more than the
    /// disc holds (above 100), else 0. A bar can show the part beyond the disc; others need not.
    virtual void SetDiscOverflow(int percent) { (void)percent; }

    /// What a sample encode measured of row's output, for its task as it is now; none until then.
    virtual std::optional<double> MeasuredBytes(int row) const { return (void)row, std::nullopt; }
    /// Idle, after the summary was shown: the list, a profile or the split choice may have changed.
    virtual void IdleSummaryShown() { }
    /// Idle, with the summary: what the summary is too short to say in full (empty: nothing).
    virtual void SetSummaryTip(std::string_view text) { (void)text; }
};

} // namespace quillet
