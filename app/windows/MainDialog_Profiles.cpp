// SPDX-License-Identifier: GPL-3.0-or-later
// The profile picker on the main window, the remembered default profile, and applying the
// current profile to tasks from the two check boxes.
#include "MainDialog.h"

#include "CMediaSizeList.h"
#include "CProfileComboBox.h"
#include "TaskListView.h"
#include "app/ConverterApp.h"
#include "core/ProfileApplier.h"
#include "core/ProfileFile.h"
#include "core/Task.h"
#include "platform/Paths.h"
#include "profiles/DefaultProfileStore.h"
#include "texts/LanguageKeys.h"
#include "texts/LanguageTable.h"

#include <QCheckBox>

#include <numeric>

namespace quillet {

namespace {

std::string IniFolder(const ConverterApp &app)
{
    return app.IniFolder();
}

/// Reads section of the profile file at path into record (when there is a file to read) and
/// records where it came from.
void LoadProfile(ProfileRecord &record, const std::string &path, std::string_view section)
{
    if (!platform::FileNameOf(path).empty())
        ProfileFile::Read(section, record, path);
    record.profile_path = path;
}

} // namespace

OutputPlace MainDialog::CurrentOutputPlace() const
{
    return {m_app.OutputFolder(),
            [](const std::string &path) { return platform::PathExists(path); }};
}

void MainDialog::SetUpProfilePicker()
{
    m_picker->Create(kPickerPopupWidth, kPickerPopupHeight);
    m_picker->Scan(IniFolder(m_app));
}

void MainDialog::LoadDefaultProfile()
{
    const DefaultProfileStore store(IniFolder(m_app));
    m_state.default_profile = store.Read();
    const std::string file = m_state.default_profile.output_ini_file.str();
    const std::string section = m_state.default_profile.output_profile.str();
    m_sizes->Fill(file);
    LoadProfile(m_state.current_profile, IniFolder(m_app) + file, section);
    m_picker->SelectProfile(file, section);
}

void MainDialog::OnProfileSelected()
{
    std::string file, section;
    if (!m_picker->GetSelectedProfile(file, section))
        return;
    m_merge->setEnabled(true);
    m_apply_all->setEnabled(true);
    const DefaultProfileStore store(IniFolder(m_app));
    store.Write(file, section, 1);
    LoadProfile(m_state.current_profile, IniFolder(m_app) + file, section);
    m_state.default_profile = store.Read();
    m_sizes->Fill(file);
    const std::vector<int> selected = m_list->SelectedRows();
    if (ApplyOnProfilePick(m_tasks, selected, m_app.apply_to_all_flag, m_state.current_profile,
                           CurrentOutputPlace()))
        TasksChanged(m_app.apply_to_all_flag ? EveryRow() : selected, Renamed::Yes);
    m_controller.ShowSummary(0);
}

std::vector<int> MainDialog::EveryRow() const
{
    std::vector<int> rows(static_cast<std::size_t>(m_tasks.Count()));
    std::iota(rows.begin(), rows.end(), 0);
    return rows;
}

void MainDialog::ReloadProfileFromTask(int row)
{
    const Task *task = m_tasks.Get(row);
    if (!task)
        return;
    // The profile the task was made with, as its file holds it now; the task is not changed.
    const std::string path = task->settings.profile_path.str();
    const std::string section = task->settings.section_name.str();
    LoadProfile(m_state.current_profile, path, section);
    m_picker->SelectProfile(platform::FileNameOf(path), section);
}

void MainDialog::UseSavedAsProfile(const Task &task)
{
    // The profile just saved under a new name is the one in use, as if it had been picked
    // (other tasks keep theirs): the picker lists and shows it, the current record, which holds
    // its settings already, carries its name, and the next start opens with it. Otherwise the
    // window would show and remember the old profile while holding the new one's settings
    // under the old name, for the next added task and its "Save and Apply".
    const std::string path = task.settings.profile_path.str();
    const std::string file(platform::FileNameOf(path));
    const std::string section = task.settings.section_name.str();
    m_state.current_profile.section_name = section;
    m_picker->AddProfile(file, section);
    m_picker->SelectProfile(file, section);
    const DefaultProfileStore store(IniFolder(m_app));
    store.Write(file, section, 1);
    m_state.default_profile = store.Read();
}

void MainDialog::OnApplyToAll()
{
    if (!m_apply_all->isChecked()) {
        m_app.apply_to_all_flag = false;
        return;
    }
    if (!Ask(LookupKey(m_languages, CataloguedKey("MAIN_DLG", "strApplyAllTipsInfo")))) {
        m_apply_all->setChecked(false);
        m_app.apply_to_all_flag = false;
        return;
    }
    m_app.apply_to_all_flag = true;
    ApplyToEveryTask(m_tasks, m_state.current_profile, ApplyPath::ApplyToAll, CurrentOutputPlace());
    // The rows show the new estimates at once; outputs keep their names on this path.
    TasksChanged(EveryRow(), Renamed::No);
}

void MainDialog::OnMerge()
{
    m_app.merge_flag = m_merge->isChecked();
    if (!m_app.merge_flag)
        return;
    m_apply_all->setChecked(true);
    m_app.apply_to_all_flag = true;
    ApplyToEveryTask(m_tasks, m_state.current_profile, ApplyPath::Merge, CurrentOutputPlace());
    TasksChanged(EveryRow(), Renamed::Yes);
}

void MainDialog::OnSplitChanged()
{
    m_controller.ShowSummary(0);
}

} // namespace quillet
