// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Task.h"

#include <QDialog>

#include <vector>

class QListWidget;

namespace quillet {

class TaskList;
class Texts;

/**
 * The Audio track dialog: the task's audio tracks as a check list, a check for each track that
 * goes into the output. It has no buttons; Esc or the close box ends it, and the check marks are
 * written back to the tracks however it ends.
 *
 * Entry point for the main window's Audio track command (button and list menu item), one line:
 *     CAudioTrackDlg::EditSelectedTask(this, tasks, SelectedRows(), texts);
 */
class CAudioTrackDlg : public QDialog
{
    Q_OBJECT

public:
    /// tracks must outlive the dialog; their selected flags change when it ends.
    CAudioTrackDlg(const Texts &texts, std::vector<AudioTrack> &tracks, QWidget *parent = nullptr);

    /**
     * The Audio track command: opens the dialog, modal over owner, for the one selected task.
     * With no row, several rows or a row outside the list selected, nothing opens.
     * @param selected_rows the task list's selected rows, ascending
     * @return true when the dialog was shown
     */
    static bool EditSelectedTask(QWidget *owner, TaskList &tasks,
                                 const std::vector<int> &selected_rows, const Texts &texts);

    QListWidget *List() const { return m_list; }

    /// Every ending (Esc, the close box, the owner's request) writes the check marks back.
    void done(int result) override;

private:
    std::vector<AudioTrack> &m_tracks;
    QListWidget *m_list;
};

} // namespace quillet
