// SPDX-License-Identifier: GPL-3.0-or-later
// The profile picker on the main window and the two check boxes, wired to the session
// (SessionController), which picks, remembers and applies.
#include "MainDialog.h"

#include "CMediaSizeList.h"
#include "CProfileComboBox.h"
#include "TaskListView.h"
#include "app/ConverterApp.h"
#include "core/Task.h"
#include "platform/Paths.h"

#include <QCheckBox>

namespace quillet {

void MainDialog::SetUpProfilePicker()
{
    m_picker->Create(kPickerPopupWidth, kPickerPopupHeight);
    m_picker->Scan(m_session.ProfileFolder());
}

void MainDialog::LoadDefaultProfile()
{
    const ProfileChoice choice = m_session.LoadRememberedProfile();
    m_sizes->Fill(choice.file);
    m_picker->SelectProfile(choice.file, choice.section);
}

void MainDialog::OnProfileSelected()
{
    ProfileChoice choice;
    if (!m_picker->GetSelectedProfile(choice.file, choice.section))
        return;
    m_merge->setEnabled(true);
    m_apply_all->setEnabled(true);
    // The split list offers what the new profile's family takes before the summary counts it.
    m_sizes->Fill(choice.file);
    m_session.PickProfile(choice, m_list->SelectedRows());
}

void MainDialog::ReloadProfileFromTask(int row)
{
    if (const auto choice = m_session.FollowTask(row))
        m_picker->SelectProfile(choice->file, choice->section);
}

void MainDialog::UseSavedAsProfile(const Task &task)
{
    // The picker lists and shows the profile just saved under a new name, as if it had been
    // picked; other tasks keep theirs.
    m_session.UseSavedAs(task);
    const std::string file(platform::FileNameOf(task.settings.profile_path.str()));
    const std::string section = task.settings.section_name.str();
    m_picker->AddProfile(file, section);
    m_picker->SelectProfile(file, section);
}

void MainDialog::OnApplyToAll()
{
    m_apply_all->setChecked(m_session.SetApplyToAll(m_apply_all->isChecked()));
}

void MainDialog::OnMerge()
{
    m_session.SetMerge(m_merge->isChecked());
    m_apply_all->setChecked(m_session.ApplyToAll());
}

void MainDialog::OnSplitChanged()
{
    m_controller.ShowSummary(0);
}

} // namespace quillet
