// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileDialog>

class QLabel;

namespace quillet {

class CFolderPicker;

/// The folder-only file dialog behind CFolderPicker: an instruction line above the folders, a
/// status line below them, OK enabled by the picker's Validate and a root it cannot leave.
class FolderPickerDialog : public QFileDialog
{
    Q_OBJECT

public:
    FolderPickerDialog(CFolderPicker &picker, QWidget *owner);

    QLabel *InstructionLabel() const { return m_instruction; }
    QLabel *StatusLabel() const { return m_status; }

    /// The folder OK would return right now.
    QString PendingFolder() const;

public slots:
    void accept() override;

private:
    void Revalidate();
    void KeepInsideRoot(const QString &directory);
    bool Validate(QString &status) const;

    CFolderPicker &m_picker;
    QLabel *m_instruction;
    QLabel *m_status;
};

} // namespace quillet
