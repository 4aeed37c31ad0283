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

/// The name an output gets and where the engine writes it until it is complete.
struct OutputChoice
{
    std::string final_path;
    std::string engine_path; ///< the path written into the vector
    std::string error; ///< why no name could be had; then the run cannot be built
};

/// Chooses an output's name from its sequence of candidates (numbered(0) the wanted name, then
/// its " (N)" forms). The sequence holds its own copies, so a chooser may keep it.
using OutputChooser = std::function<OutputChoice(const std::function<std::string(unsigned)> &)>;

/// What the builder reads of the program around it.
struct BuildContext
{
    std::string split_choice; ///< text of the split list's selected entry
    int custom_split_mb = 4000; ///< the custom split size
    int64_t running_output_total_kib = 0; ///< sizes of this run's outputs so far
    std::string current_profile_path; ///< file path of the main window's current profile
    bool same_profile = true; ///< every task of the run has the same profile file
    std::string output_folder; ///< ends with '/'
    FileExistsFn file_exists; ///< decides output names; defaults to the file system
    /// Chooses output names; by default the first candidate no file has (file_exists), which
    /// the engine then writes directly. The conversion driver claims names instead.
    OutputChooser choose_output;
};

/// The vector of one engine run, or why it cannot be built.
struct BuildResult
{
    ArgumentVector args;
    std::string output_path; ///< the output's final name
    std::string engine_output_path; ///< the path written into the vector
    std::string error; ///< why no output name could be had
    bool Ok() const { return !args.Failed() && error.empty(); }
    const std::string &Error() const { return error.empty() ? args.Error() : error; }
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
 * The vector of a single-task run. The task's output path is first chosen (made unique against
 * existing files, or claimed) and stored back into the task.
 */
BuildResult BuildTaskArguments(Task &task, const BuildContext &context);

/// The vector of a merged run: every task's source joined into one output made with current.
BuildResult BuildMergedArguments(const TaskList &tasks, const ProfileRecord &current,
                                 const BuildContext &context);

} // namespace quillet
