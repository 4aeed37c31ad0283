// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ProfileRecord.h"

#include <string>
#include <vector>

class QWidget;

namespace quillet {

class Prompter;
class TaskList;
class Texts;

/// What the profile settings command did, for the window that ran it.
struct ProfileSettingsResult
{
    enum class Outcome {
        NoSelection, ///< no row selected: "No items were selected!" was shown
        SeveralSelected, ///< more than one row selected: nothing was done
        Cancelled, ///< the sheet was cancelled or closed: nothing changed
        Applied, ///< OK: the current record and the task took the edits
        Saved, ///< "Save and Apply": applied, and the profile's section rewritten
        SavedAs, ///< "Save as and Apply": applied, saved under a new name the task now uses
        NotSaved, ///< applied, but the save was cancelled or the file refused it
    };
    Outcome outcome = Outcome::Cancelled;
    /// The task row whose texts changed (its estimated size may too, and with it the total):
    /// refresh it when 0 or more; -1 when no task changed.
    int refresh_row = -1;
};

/**
 * The main window's "Options" button and the list menu's "Profile settings": edits the selected
 * task's profile in the option sheet.
 *
 * With no row selected it tells "No items were selected!"; with several it does nothing. With
 * one, the task's source size goes into current, the sheet opens on current, and after OK:
 * every page is copied back into current; the task takes the whole record with its own source
 * size and a freshly worked-out estimated bit rate; "Save and Apply" rewrites the profile's
 * section in its own file (the record's profile_path; the keys of a profile are replaced, other
 * keys of the section stay); "Save as and Apply" asks for a new name (proposing "New " + the
 * section name; names of the file's sections are refused ignoring case) and writes the whole
 * profile under it into the same file, records the name in kreldef.ini's "default" section and
 * makes the task refer to it. Cancelling the naming writes nothing and the task keeps its
 * section; a save the file refuses is reported and leaves the task's section as it was.
 *
 * Call it as
 *   auto result = RunProfileSettings(this, state.current_profile, tasks, SelectedRows(),
 *                                    app.ProgramFolder(), prompter, TheLanguageTable());
 *   if (result.refresh_row >= 0) controller.RefreshRow(result.refresh_row);
 *
 * @param parent window the sheet and the naming dialog are modal to
 * @param current the main window's current profile record (changed only after OK)
 * @param tasks the task list; selected_rows index it, in any order
 * @param program_folder the program's folder without a trailing '/', holding ini/kreldef.ini
 * @param prompter tells the messages: the empty selection, the pages' refusals, name conflicts
 * @param texts the current language
 */
ProfileSettingsResult RunProfileSettings(QWidget *parent, ProfileRecord &current, TaskList &tasks,
                                         const std::vector<int> &selected_rows,
                                         const std::string &program_folder, Prompter &prompter,
                                         const Texts &texts);

/// How saving under a new name ended.
enum class SaveAsOutcome { Saved, Cancelled, Failed };

/**
 * Saves record as a new profile in its own file: shows the naming dialog until a free name is
 * accepted or the dialog is cancelled, writes every key under that name, records it with
 * DefaultProfileStore::WriteSavedAsName and stores it as the record's section name. Cancel and
 * failure leave the record, the profile file and kreldef.ini as they were.
 * @param ini_folder the profile folder holding kreldef.ini, ending with '/'
 */
SaveAsOutcome SaveAsNewProfile(QWidget *parent, ProfileRecord &record,
                               const std::string &ini_folder, Prompter &prompter,
                               const Texts &texts);

} // namespace quillet
