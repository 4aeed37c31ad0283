// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "disc/SubtitleChoice.h"
#include "disc/SubtitleStyleEditor.h"

#include <QDialog>

#include <string>
#include <vector>

class QLineEdit;
class QListWidget;

namespace quillet {

class CSkinButton;
class Prompter;
class TaskList;
class Texts;

/**
 * The Subtitles dialog: which subtitle file the task burns into its picture. The files
 * extracted from the task's source are listed by name; selecting one checks it (only it) and
 * makes it the choice, "..." picks any file instead (the list stays as it is). OK takes the
 * choice once the file can be opened ("Cannot open subtitle file" otherwise) and does nothing
 * without one; Cancel leaves the task as it was. "Subtitle style" edits the burnt-in look through
 * the subtitle style library, when it is there.
 *
 * Entry point for the main window's Subtitles command (button and list menu item), one line:
 *     CSubtitleDlg::EditSelectedTask(this, tasks, SelectedRows(), texts, prompter,
 *                                    SubtitleStyleEditor(app.ProgramFolder()));
 */
class CSubtitleDlg : public QDialog
{
    Q_OBJECT

public:
    /// @param prompter shows "Cannot open subtitle file" (its default caption: the program's)
    /// @param style_editor runs the subtitle style library for "Subtitle style"
    CSubtitleDlg(const Texts &texts, Prompter &prompter, SubtitleStyleEditor style_editor,
                 std::string working_path, std::vector<std::string> candidates,
                 QWidget *parent = nullptr);

    /**
     * The Subtitles command: opens the dialog, modal over owner, for the one selected task with
     * its subtitle path and candidates, and on OK stores the chosen path as the task's subtitle.
     * With no row, several rows or a row outside the list selected, nothing opens.
     * @param selected_rows the task list's selected rows, ascending
     * @return true when the dialog ended with OK and the path was stored
     */
    static bool EditSelectedTask(QWidget *owner, TaskList &tasks,
                                 const std::vector<int> &selected_rows, const Texts &texts,
                                 Prompter &prompter, const SubtitleStyleEditor &style_editor);

    const std::string &WorkingPath() const { return m_choice.WorkingPath(); }

    QListWidget *List() const { return m_list; }
    QLineEdit *PathField() const { return m_path; }
    CSkinButton *OkButton() const { return m_ok; }
    CSkinButton *CancelButton() const { return m_cancel; }
    CSkinButton *StyleButton() const { return m_style; }
    CSkinButton *AddButton() const { return m_add; }

private:
    void SelectionChanged();
    void ShowPath();
    void Add();
    void Ok();
    void EditStyle();

    SubtitleChoice m_choice;
    Prompter &m_prompter;
    SubtitleStyleEditor m_style_editor;
    QListWidget *m_list;
    QLineEdit *m_path;
    CSkinButton *m_add;
    CSkinButton *m_style;
    CSkinButton *m_ok;
    CSkinButton *m_cancel;
};

} // namespace quillet
