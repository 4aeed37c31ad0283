// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing and opening the output folder.
#include "MainDialog.h"

#include "DesktopActions.h"
#include "FileChooser.h"
#include "app/ConverterApp.h"
#include "core/TaskList.h"
#include "platform/DataFolder.h"
#include "platform/Paths.h"
#include "texts/LanguageKeys.h"
#include "texts/LanguageTable.h"

#include <QLineEdit>

#include <numeric>

namespace quillet {

void MainDialog::OnChangeOutputFolder()
{
    const auto chosen = m_chooser->ChooseFolder(
        LookupKey(m_languages, CataloguedKey("MAIN_DLG", "strFolderTitleInfo")),
        LookupKey(m_languages, CataloguedKey("MAIN_DLG", "strFolderDescInfo")),
        m_app.OutputFolder());
    if (!chosen || !OutputFolderWritable(*chosen))
        return;
    const std::string old_folder = m_app.OutputFolder();
    m_app.SetOutputFolder(*chosen);
    m_app.SaveSettings();
    if (m_app.OutputFolder() == old_folder)
        return;
    m_output_edit->setText(QString::fromStdString(m_app.OutputFolder()));
    if (m_tasks.Count() == 0
        || !Ask(LookupKey(m_languages, CataloguedKey("MAIN_DLG", "strChangeOutputFolderTipsInfo"))))
        return;
    // Every destination moves into the new folder, named afresh there: the " (N)" a name
    // needed in the old folder says nothing about the new one.
    m_controller.MoveDestinationsTo(m_app.OutputFolder());
    std::vector<int> rows(static_cast<std::size_t>(m_tasks.Count()));
    std::iota(rows.begin(), rows.end(), 0);
    TasksChanged(rows, Renamed::No);
}

bool MainDialog::OutputFolderWritable(const std::string &folder)
{
    // Tried by making a file there: a folder of /proc, a read-only mount or one without
    // permission would otherwise fail every task of the batch with its own message.
    if (platform::FolderWritable(folder))
        return true;
    Tell(FormatText(
        LookupKeyFormat(m_languages, CataloguedKey("MAIN_DLG", "strFolderNotWritableInfo")),
        folder.c_str()));
    return false;
}

void MainDialog::OnConvertButton()
{
    // Cancel needs no folder.
    if (!m_driver.Converting() && !OutputFolderWritable(m_app.OutputFolder()))
        return;
    OnConvert();
}

void MainDialog::OnConvertSelectedItem()
{
    if (OutputFolderWritable(m_app.OutputFolder()))
        OnConvertSelected();
}

void MainDialog::OnConvertAgainItem()
{
    if (OutputFolderWritable(m_app.OutputFolder()))
        OnConvertAgain();
}

void MainDialog::OnOpenOutputFolder()
{
    m_desktop->Open(m_app.OutputFolder());
}

} // namespace quillet
