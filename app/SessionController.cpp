// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SessionController.h"

#include "app/ConverterApp.h"
#include "app/SessionHost.h"
#include "app/TaskListController.h"
#include "core/BatchStore.h"
#include "core/ProfileApplier.h"
#include "core/ProfileFile.h"
#include "core/Task.h"
#include "core/TaskList.h"
#include "platform/DataFolder.h"
#include "platform/IniDocument.h"
#include "platform/Paths.h"
#include "platform/TextCase.h"
#include "profiles/DefaultProfileStore.h"
#include "texts/LanguageKeys.h"

#include <algorithm>
#include <filesystem>

namespace quillet {

namespace {

OutputPlace PlaceIn(const std::string &folder)
{
    return {folder, [](const std::string &path) { return platform::PathExists(path); }};
}

} // namespace

SessionController::SessionController(TaskList &tasks, TaskListController &list, ConverterApp &app,
                                     MainState &state, SessionHost &host, const Texts &texts,
                                     Remember remember)
    : m_tasks(tasks)
    , m_list(list)
    , m_app(app)
    , m_state(state)
    , m_host(host)
    , m_texts(texts)
    , m_remember(remember)
{ }

std::string SessionController::ProfileFolder() const
{
    return m_app.IniFolder();
}

void SessionController::LoadProfile(const std::string &path, const std::string &section)
{
    if (!platform::FileNameOf(path).empty())
        ProfileFile::Read(section, m_state.current_profile, path);
    m_state.current_profile.profile_path = path;
}

void SessionController::RememberPick(const ProfileChoice &choice)
{
    const DefaultProfileStore store(ProfileFolder());
    if (m_remember == Remember::Yes)
        store.Write(choice.file, choice.section, 1);
    m_state.default_profile = store.Read();
}

ProfileChoice SessionController::LoadRememberedProfile()
{
    m_state.default_profile = DefaultProfileStore(ProfileFolder()).Read();
    ProfileChoice choice{m_state.default_profile.output_ini_file.str(),
                         m_state.default_profile.output_profile.str()};
    LoadProfile(ProfileFolder() + choice.file, choice.section);
    return choice;
}

std::string SessionController::UseProfile(const ProfileChoice &choice)
{
    const std::string path = ProfileFolder() + choice.file;
    // A device or a FIFO is never read, nor a file far larger than any profile file.
    platform::IniDocument document;
    std::string error;
    if (!document.Load(path, &error))
        return "cannot read the profile file " + error;
    const auto names = ProfileFile::SectionNames(path);
    if (std::none_of(names.begin(), names.end(), [&](const std::string &name) {
            return platform::EqualsIgnoringCase(name, choice.section);
        }))
        return "unknown profile " + choice.file + ":" + choice.section;
    LoadProfile(path, choice.section);
    return {};
}

void SessionController::PickProfile(const ProfileChoice &choice, const std::vector<int> &selected)
{
    RememberPick(choice);
    LoadProfile(ProfileFolder() + choice.file, choice.section);
    if (ApplyOnProfilePick(m_tasks, selected, m_app.apply_to_all_flag, m_state.current_profile,
                           PlaceIn(m_app.OutputFolder())))
        m_list.TasksChanged(m_app.apply_to_all_flag ? m_list.EveryRow() : selected,
                            TaskListController::Renamed::Yes);
    m_list.ShowSummary(0);
}

std::optional<ProfileChoice> SessionController::FollowTask(int row)
{
    const Task *task = m_tasks.Get(row);
    if (!task)
        return std::nullopt;
    const std::string path = task->settings.profile_path.str();
    const std::string section = task->settings.section_name.str();
    LoadProfile(path, section);
    return ProfileChoice{std::string(platform::FileNameOf(path)), section};
}

void SessionController::UseSavedAs(const Task &task)
{
    // The current record holds the saved settings already; it takes their new name, and the
    // next start opens with it. Otherwise the session would hold the new profile's settings
    // under the old name, for the next added task and its "Save and Apply".
    const std::string path = task.settings.profile_path.str();
    const ProfileChoice choice{std::string(platform::FileNameOf(path)),
                               task.settings.section_name.str()};
    m_state.current_profile.section_name = choice.section;
    RememberPick(choice);
}

bool SessionController::ApplyToAll() const
{
    return m_app.apply_to_all_flag;
}

bool SessionController::Merge() const
{
    return m_app.merge_flag;
}

bool SessionController::SetApplyToAll(bool on)
{
    m_app.apply_to_all_flag
        = on && m_host.Ask(LookupKey(m_texts, CataloguedKey("MAIN_DLG", "strApplyAllTipsInfo")));
    if (!m_app.apply_to_all_flag)
        return false;
    ApplyToEveryTask(m_tasks, m_state.current_profile, ApplyPath::ApplyToAll,
                     PlaceIn(m_app.OutputFolder()));
    // The rows show the new estimates at once; outputs keep their names on this path.
    m_list.TasksChanged(m_list.EveryRow(), TaskListController::Renamed::No);
    return true;
}

void SessionController::SetMerge(bool on)
{
    m_app.merge_flag = on;
    if (on) {
        m_app.apply_to_all_flag = true;
        ApplyToEveryTask(m_tasks, m_state.current_profile, ApplyPath::Merge,
                         PlaceIn(m_app.OutputFolder()));
        m_list.TasksChanged(m_list.EveryRow(), TaskListController::Renamed::Yes);
        return;
    }
    // The rows go back to their own outputs, which the merge left as they were.
    m_list.RefreshAllRows();
}

bool SessionController::OutputFolderWritable(const std::string &folder)
{
    // Tried by making a file there: a folder of /proc, a read-only mount or one without
    // permission would otherwise fail every task of the batch with its own message.
    if (platform::FolderWritable(folder))
        return true;
    m_host.Tell(
        FormatText(LookupKeyFormat(m_texts, CataloguedKey("MAIN_DLG", "strFolderNotWritableInfo")),
                   folder.c_str()));
    return false;
}

SessionController::FolderChange SessionController::ChangeOutputFolder(const std::string &folder)
{
    std::string wanted = folder;
    if (wanted.empty() || wanted.back() != '/')
        wanted += '/';
    // A folder that is not there yet is made, as start-up makes the stored one; one that
    // cannot be made cannot be written to either.
    platform::CreateFolderLevels(wanted);
    if (!OutputFolderWritable(wanted))
        return FolderChange::Refused;
    const std::string old_folder = m_app.OutputFolder();
    m_app.SetOutputFolder(wanted);
    if (m_remember == Remember::Yes)
        m_app.SaveSettings();
    if (m_app.OutputFolder() == old_folder)
        return FolderChange::Unchanged;
    if (m_tasks.Count() == 0
        || !m_host.Ask(
            LookupKey(m_texts, CataloguedKey("MAIN_DLG", "strChangeOutputFolderTipsInfo")))) {
        // The tasks keep their folders, but a merged run writes into the output folder.
        if (m_app.merge_flag)
            m_list.RefreshAllRows();
        return FolderChange::Changed;
    }
    // Every destination moves into the new folder, named afresh there: the " (N)" a name
    // needed in the old folder says nothing about the new one.
    m_list.MoveDestinationsTo(m_app.OutputFolder());
    m_list.TasksChanged(m_list.EveryRow(), TaskListController::Renamed::No);
    return FolderChange::Moved;
}

std::optional<RunRequest> SessionController::PrepareRun(const std::vector<const Task *> &only,
                                                        BatchStore *kept, int simultaneous_jobs)
{
    if (!OutputFolderWritable(m_app.OutputFolder()))
        return std::nullopt;
    RunRequest request;
    request.split_choice = m_host.SplitChoiceText();
    request.custom_split_mb = m_host.CustomSplitSizeMb();
    request.output_folder = m_app.OutputFolder();
    request.program_folder = m_app.ProgramFolder();
    // Rows chosen from the list menu are converted on their own, never merged with the rest.
    request.merge = m_app.merge_flag && only.empty();
    request.current_profile = m_state.current_profile;
    request.only = only;
    request.kept_batch = kept;
    request.simultaneous_jobs = simultaneous_jobs;
    m_state.total_size_mb = TotalEstimatedSizeMb(m_tasks);
    request.total_estimated_mb = m_state.total_size_mb;
    if (kept) {
        const std::filesystem::path folder
            = std::filesystem::path(request.output_folder).parent_path();
        for (const auto &task : m_tasks) {
            const TaskFacts *facts = kept->Facts(*task);
            if (facts && facts->run.made
                && std::filesystem::path(facts->run.made->path).parent_path() != folder)
                kept->ConvertAgain(*task);
        }
    }
    return request;
}

} // namespace quillet
