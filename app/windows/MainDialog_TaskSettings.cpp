// SPDX-License-Identifier: GPL-3.0-or-later
// The commands that open a task's settings windows: the option sheet (Options, "Profile
// settings"), the audio track dialog ("Audio...", "Audio track...") and the Subtitles dialog
// ("Subtitle..."). Each acts on the one selected task; the windows themselves check the
// selection.
#include "MainDialog.h"

#include "app/ConverterApp.h"
#include "core/TaskList.h"
#include "disc/SubtitleStyleEditor.h"
#include "disc/subtitles/CAudioTrackDlg.h"
#include "disc/subtitles/CSubtitleDlg.h"
#include "profiles/sheet/OptionSheetRules.h"
#include "profiles/sheet/ProfileSettingsCommand.h"
#include "texts/LanguageTable.h"

namespace quillet {

void MainDialog::OnOptions()
{
    // The button and the menu item are disabled during a batch: the batch works through the
    // tasks this would change.
    if (m_state.converting)
        return;
    const ProfileSettingsResult result
        = RunProfileSettings(this, m_state.current_profile, m_tasks, SelectedRows(),
                             m_app.DataFolder(), *m_prompter, m_languages);
    if (result.refresh_row < 0)
        return;
    const Task &edited = *m_tasks.Get(result.refresh_row);
    if (result.outcome == ProfileSettingsResult::Outcome::SavedAs)
        UseSavedAsProfile(edited);
    if (!m_app.apply_to_all_flag) {
        m_controller.TasksChanged({result.refresh_row}, TaskListController::Renamed::No);
        return;
    }
    // "Apply to All" is ticked: every task takes what the sheet gave the one it opened on, each
    // with its own source size and estimate, as that task did.
    const ProfileRecord settings = edited.settings;
    for (int i = 0; i < m_tasks.Count(); ++i)
        if (i != result.refresh_row)
            sheet::ApplySheetResultToTask(*m_tasks.Get(i), settings);
    m_controller.TasksChanged(m_controller.EveryRow(), TaskListController::Renamed::No);
}

// The audio track and subtitle choices show in no cell of the row (the estimated size counts
// every track of the source), so nothing is refreshed after them; both stay reachable from the
// list menu during a batch, when a refresh would reset the batch's progress bar.
void MainDialog::OnAudioTrack()
{
    CAudioTrackDlg::EditSelectedTask(this, m_tasks, SelectedRows(), m_languages);
}

void MainDialog::OnSubtitle()
{
    CSubtitleDlg::EditSelectedTask(this, m_tasks, SelectedRows(), m_languages, *m_prompter,
                                   SubtitleStyleEditor(m_app.ProgramFolder()));
}

} // namespace quillet
