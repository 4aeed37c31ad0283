// SPDX-License-Identifier: GPL-3.0-or-later
#include "CFolderPicker.h"

#include "FolderPickerDialog.h"

#include <QFileIconProvider>
#include <QFileInfo>

namespace quillet {

QString CFolderPicker::InstructionText() const
{
    return m_instruction.isEmpty() ? QStringLiteral("Open") : m_instruction;
}

bool CFolderPicker::Validate(const QString &, QString &status)
{
    status.clear();
    return true;
}

QString CFolderPicker::TrimInitialFolder(const QString &folder)
{
    qsizetype end = folder.size();
    while (end > 0 && folder.at(end - 1).isSpace())
        --end;
    QString trimmed = folder.left(end);
    // The root folder is nothing but its separator; removing it would leave no folder at all.
    if (trimmed.size() > 1
        && (trimmed.endsWith(QLatin1Char('/')) || trimmed.endsWith(QLatin1Char('\\'))))
        trimmed.chop(1);
    return trimmed;
}

int CFolderPicker::Browse(QWidget *owner)
{
    if (!m_root.isEmpty() && !QFileInfo(m_root).isDir())
        return 0;
    FolderPickerDialog dialog(*this, owner);
    if (dialog.exec() != QDialog::Accepted)
        return 0;
    const QString chosen = dialog.PendingFolder();
    if (chosen.isEmpty())
        return 0;
    m_folder = chosen;
    m_folder_icon = QFileIconProvider().icon(QFileInfo(chosen));
    return 1;
}

} // namespace quillet
