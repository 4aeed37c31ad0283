// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/sheet/ProfileSettingsCommand.h"

#include "core/ProfileFile.h"
#include "core/Prompter.h"
#include "core/TaskList.h"
#include "profiles/DefaultProfileStore.h"
#include "profiles/ShippedProfiles.h"
#include "profiles/sheet/CExPropertySheet.h"
#include "profiles/sheet/CNewProfileDlg.h"
#include "profiles/sheet/OptionSheetRules.h"
#include "texts/LanguageKeys.h"
#include "texts/Texts.h"

#include <filesystem>

namespace quillet {

namespace {

using Outcome = ProfileSettingsResult::Outcome;

void TellSaveFailed(Prompter &prompter, const Texts &texts, const std::string &file)
{
    const std::string format
        = LookupKeyFormat(texts, CataloguedKey("OPTION_DLG", "strSaveFailedInfo"));
    prompter.Tell(FormatText(format, file.c_str()), {}, Prompter::Icon::Exclamation);
}

} // namespace

ProfileSettingsResult RunProfileSettings(QWidget *parent, ProfileRecord &current, TaskList &tasks,
                                         const std::vector<int> &selected_rows,
                                         const std::string &program_folder, Prompter &prompter,
                                         const Texts &texts)
{
    ProfileSettingsResult result;
    if (selected_rows.empty()) {
        prompter.Tell(LookupKey(texts, CataloguedKey("MAIN_DLG", "strNoItemSelectedInfo")));
        result.outcome = Outcome::NoSelection;
        return result;
    }
    if (selected_rows.size() > 1) {
        result.outcome = Outcome::SeveralSelected;
        return result;
    }
    const int row = selected_rows.front();
    Task *task = tasks.Get(row);
    if (task == nullptr) {
        result.outcome = Outcome::Cancelled;
        return result;
    }

    // "Original size" on the Resize page means this task's picture.
    current.source_width = task->source_width;
    current.source_height = task->source_height;

    CExPropertySheet sheet(current, prompter, texts, parent);
    if (sheet.exec() != QDialog::Accepted) {
        result.outcome = Outcome::Cancelled;
        return result;
    }
    const int code = sheet.ResultCode();
    sheet.StoreInto(current);
    sheet::ApplySheetResultToTask(*task, current);
    result.refresh_row = row;
    result.outcome = Outcome::Applied;

    if (code == CExPropertySheet::kSaveAndApply) {
        const std::string file = task->settings.profile_path.str();
        // The values the file holds now stay for "Default" when they are the first ever saved
        // over; a copy that cannot be kept costs the shipped values, not the user's save.
        shipped::KeepBeforeWrite(file);
        if (ProfileFile::Write(task->settings.section_name.view(), task->settings, file)) {
            result.outcome = Outcome::Saved;
        } else {
            TellSaveFailed(prompter, texts, file);
            result.outcome = Outcome::NotSaved;
        }
    } else if (code == CExPropertySheet::kSaveAsAndApply) {
        const SaveAsOutcome saved
            = SaveAsNewProfile(parent, task->settings, program_folder + "/ini/", prompter, texts);
        result.outcome = saved == SaveAsOutcome::Saved ? Outcome::SavedAs : Outcome::NotSaved;
    }
    return result;
}

SaveAsOutcome SaveAsNewProfile(QWidget *parent, ProfileRecord &record,
                               const std::string &ini_folder, Prompter &prompter,
                               const Texts &texts)
{
    const std::filesystem::path file = record.profile_path.str();
    CNewProfileDlg dialog(prompter, texts, parent);
    // "New " is a fixed text.
    dialog.SetName(QStringLiteral("New ") + QString::fromStdString(record.section_name.str()));
    std::string name;
    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return SaveAsOutcome::Cancelled;
        name = dialog.Name().toStdString();
        bool taken = sheet::NameTaken(name, sheet::SectionNamesOf(file));
        if (!taken) {
            shipped::KeepBeforeWrite(file);
            const auto written = ProfileFile::WriteIfAbsent(name, record, file);
            if (written == ProfileFile::WriteIfAbsentResult::Failed) {
                TellSaveFailed(prompter, texts, file.string());
                return SaveAsOutcome::Failed;
            }
            taken = written == ProfileFile::WriteIfAbsentResult::Exists;
        }
        if (!taken)
            break;
        // The dialog comes back holding the name just refused.
        prompter.Tell(LookupKey(texts, CataloguedKey("MAIN_DLG", "strProfileNameExistedInfo")));
    }
    DefaultProfileStore(ini_folder).WriteSavedAsName(file.filename().string(), name);
    record.section_name = name;
    return SaveAsOutcome::Saved;
}

} // namespace quillet
