// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QString>

class QWidget;

namespace quillet {

/// Asks the user for a folder: a folder-only file dialog with a caption, an instruction line,
/// an optional status line and an initial folder. Made on the stack for one Browse call.
/// Subclasses refine Validate to refuse some folders; OK is enabled only for accepted ones.
class CFolderPicker
{
public:
    CFolderPicker() = default;
    virtual ~CFolderPicker() = default;
    CFolderPicker(const CFolderPicker &) = delete;
    CFolderPicker &operator=(const CFolderPicker &) = delete;

    void SetCaption(const QString &caption) { m_caption = caption; }
    /// Folder the dialog cannot leave; empty for the whole file system.
    void SetRootFolder(const QString &root) { m_root = root; }
    void SetInitialFolder(const QString &folder) { m_initial = folder; }
    /// Line shown above the folders; empty shows "Open".
    void SetInstructionText(const QString &text) { m_instruction = text; }
    /// Whether the dialog shows Validate's status text.
    void SetStatusLine(bool show) { m_status_line = show; }

    QString Caption() const { return m_caption; }
    QString RootFolder() const { return m_root; }
    QString InitialFolder() const { return m_initial; }
    QString InstructionText() const;
    bool HasStatusLine() const { return m_status_line; }

    /// Shows the dialog.
    /// @return 1 when the user chose a folder (folder() then holds its path), 0 when the user
    /// cancelled, the root folder does not exist, or the choice is not a folder.
    int Browse(QWidget *owner);

    /// The chosen folder, after Browse returned 1.
    QString Folder() const { return m_folder; }
    /// The icon the desktop shows for the chosen folder.
    QIcon FolderIcon() const { return m_folder_icon; }

    /// Whether OK is enabled for the selected path; status is shown in the status line. The
    /// kit's version accepts every folder and leaves the status empty.
    virtual bool Validate(const QString &path, QString &status);

    /// The initial folder as the dialog opens it: trailing white space and then one trailing
    /// separator ("/" or "\") removed. The file-system root "/" is kept as it is.
    static QString TrimInitialFolder(const QString &folder);

private:
    QString m_caption;
    QString m_root;
    QString m_initial;
    QString m_instruction;
    bool m_status_line = false;
    QString m_folder;
    QIcon m_folder_icon;
};

} // namespace quillet
