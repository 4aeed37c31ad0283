// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/MainState.h"
#include "core/ConversionDriver.h"

#include <optional>
#include <string>
#include <vector>

namespace quillet {

class BatchStore;
class ConverterApp;
class SessionHost;
struct Task;
class TaskList;
class TaskListController;
class Texts;

/// A profile of the profile folder: its file ("FILE.ini") and section.
struct ProfileChoice
{
    std::string file;
    std::string section;
};

/**
 * What every front end does with a session, without a window toolkit: which profile converts
 * (loaded, picked, applied to the chosen tasks or all), the "Apply to All" and "Merge into one
 * file" flags, the output folder (checked, stored, every destination named again in it), and
 * the run request handed to the conversion driver.
 *
 *   MainDialog (its commands)  --.                 .-- TaskListController: rows, destinations
 *                                 >-- Session ----<
 *   quillet-cli (CliApp)       --'    Controller   '-- ConverterApp: folders, flags, settings
 *        both are the SessionHost: questions, messages, the split list's choice
 *
 * The window remembers what the user picks (the default profile file, the output folder in the
 * settings); quillet-cli reads both and writes neither.
 */
class SessionController
{
public:
    enum class Remember { Yes, No };
    /// What a change of the output folder did.
    enum class FolderChange {
        Refused, ///< it cannot be written to; the user was told, nothing changed
        Unchanged, ///< it is the folder already in use
        Changed, ///< the folder changed; the tasks keep their destinations (the user said No)
        Moved, ///< the folder changed and every destination moved into it
    };

    SessionController(TaskList &tasks, TaskListController &list, ConverterApp &app,
                      MainState &state, SessionHost &host, const Texts &texts, Remember remember);

    /// The profile folder, ending with '/'.
    std::string ProfileFolder() const;
    /// Makes the remembered profile the current one; an empty file when none is remembered.
    ProfileChoice LoadRememberedProfile();
    /**
     * Makes choice the current profile, as it is in its file, without applying it to a task.
     * @return why it cannot be used (its file unreadable, no such section), or empty
     */
    std::string UseProfile(const ProfileChoice &choice);
    /// The picker's pick: remembered, made current, and applied as the flags say (to every
    /// task with Apply to All, else to the one selected row; any other selection: to none).
    void PickProfile(const ProfileChoice &choice, const std::vector<int> &selected);
    /// The profile row's task was made with, as its file holds it now, becomes the current one
    /// (the task is not changed); nothing when there is no such row.
    std::optional<ProfileChoice> FollowTask(int row);
    /// A profile saved under a new name from task's settings is the one in use from now on.
    void UseSavedAs(const Task &task);

    bool ApplyToAll() const;
    bool Merge() const;
    /// Ticking asks whether to apply the current profile to every task, and does on Yes.
    /// @return the flag as it now is
    bool SetApplyToAll(bool on);
    /// Merge implies Apply to All: the current profile goes to every task, whose rows show the
    /// joined output; unticked, the rows show their own outputs again.
    void SetMerge(bool on);

    /// Whether outputs can be written into folder; if not, tells the user so, naming it.
    bool OutputFolderWritable(const std::string &folder);
    /**
     * Makes folder (created when missing) the output folder, once it can be written to. With
     * tasks in the list, asks whether their outputs move there too; on Yes every destination is
     * named again in it (" (N)" as the folder requires).
     */
    FolderChange ChangeOutputFolder(const std::string &folder);

    /// The request for converting only (every task when empty), or nothing when the output
    /// folder cannot be written (the user was told). Tasks kept made in another folder are
    /// converted again: an output elsewhere is not what the user asks for now.
    std::optional<RunRequest> PrepareRun(const std::vector<const Task *> &only, BatchStore *kept,
                                         int simultaneous_jobs);

private:
    /// Reads section of the profile file at path (when there is one) into the current profile.
    void LoadProfile(const std::string &path, const std::string &section);
    void RememberPick(const ProfileChoice &choice);

    TaskList &m_tasks;
    TaskListController &m_list;
    ConverterApp &m_app;
    MainState &m_state;
    SessionHost &m_host;
    const Texts &m_texts;
    Remember m_remember;
};

} // namespace quillet
