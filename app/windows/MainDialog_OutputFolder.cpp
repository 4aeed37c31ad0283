// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing and opening the output folder; the session (SessionController) checks the folder
// and moves the destinations.
#include "MainDialog.h"

#include "DesktopActions.h"
#include "FileChooser.h"
#include "app/ConverterApp.h"
#include "texts/LanguageKeys.h"
#include "texts/LanguageTable.h"

#include <QLineEdit>

namespace quillet {

void MainDialog::OnChangeOutputFolder()
{
    const auto chosen = m_chooser->ChooseFolder(
        LookupKey(m_languages, CataloguedKey("MAIN_DLG", "strFolderTitleInfo")),
        LookupKey(m_languages, CataloguedKey("MAIN_DLG", "strFolderDescInfo")),
        m_app.OutputFolder());
    if (!chosen)
        return;
    const SessionController::FolderChange change = m_session.ChangeOutputFolder(*chosen);
    if (change != SessionController::FolderChange::Refused
        && change != SessionController::FolderChange::Unchanged)
        m_output_edit->setText(QString::fromStdString(m_app.OutputFolder()));
}

void MainDialog::OnOpenOutputFolder()
{
    m_desktop->Open(m_app.OutputFolder());
}

} // namespace quillet
