// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ArgumentVector.h"
#include "core/OutputPath.h"
#include "core/ProfileRecord.h"
#include "core/Task.h"
#include "core/TaskList.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

/**
 * The engine argument builder: turns a task (or, for a merged run, the whole list and the current
 * profile) into the engine's argument vector, in the classic command-line converter's dialect.
 * What it needs of the rest of the program comes in through BuildContext, so it runs with no
 * window and no engine.
 */
namespace quillet {

/// What the builder reads of the program around it.
struct BuildContext
{
    std::string split_choice; ///< text of the split list's selected entry
    int custom_split_mb = 4000; ///< the custom split size
    int64_t running_output_total_kib = 0; ///< sizes of this run's outputs so far
    std::string current_profile_path; ///< file path of the main window's current profile
    bool same_profile = true; ///< every task of the run has the same profile file
    std::string output_folder; ///< ends with '/'
    std::function<unsigned()> random_number; ///< the number in a merged output's name
    FileExistsFn file_exists; ///< decides output names; defaults to the file system
};

/// The vector of one engine run, or why it cannot be built.
struct BuildResult
{
    ArgumentVector args;
    std::string output_path; ///< the unique output path written into the vector
    bool Ok() const { return !args.Failed(); }
    const std::string &Error() const { return args.Error(); }
};

/// Appends the record's options in their fixed order.
void AppendProfileOptions(ArgumentVector &args, const ProfileRecord &record);

/// The "-s" value for the record's size choice, or empty for a choice with no value.
std::string SizeValue(const ProfileRecord &record);

/**
 * Whether a profile file targets discs: its name without folder and extension contains "avchd",
 * "dvd" or "blu-ray", or contains "divxavi" while every task of the run uses the same profile.
 */
bool IsDiscFamily(std::string_view profile_path, bool same_profile);

/**
 * The vector of a single-task run. The task's output path is first made unique against existing
 * files and stored back into the task.
 */
BuildResult BuildTaskArguments(Task &task, const BuildContext &context);

/// The vector of a merged run: every task's source joined into one output made with current.
BuildResult BuildMergedArguments(const TaskList &tasks, const ProfileRecord &current,
                                 const BuildContext &context);

} // namespace quillet
