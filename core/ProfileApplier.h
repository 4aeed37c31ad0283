// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/OutputPath.h"
#include "core/ProfileRecord.h"
#include "core/Task.h"
#include "core/TaskList.h"

#include <optional>
#include <string>
#include <vector>

/**
 * Applying a profile to tasks: each task converts with its own copy of a profile. Applying one
 * also derives what the profile file does not hold: the source picture facts, the estimated video
 * bit rate, an automatic aspect with letterbox pads, and (on most paths) the task's output path.
 */
namespace quillet::sizing {
struct SizeBreakdown;
}

namespace quillet {

/// Which user action applies the profile; it decides the aspect source and the output path.
enum class ApplyPath {
    AddFile, ///< a file was added: the probe's display aspect is used
    ProfilePick, ///< a profile was picked in the picker
    Merge, ///< "Merge into one file" was switched on
    ApplyToAll, ///< "Apply to All" was switched on: output paths are kept
};

/// Where output paths go and how existing files are seen.
struct OutputPlace
{
    std::string folder; ///< ends with '/'
    FileExistsFn exists;
};

/// The frame size (W, H) the bit-rate estimate uses for the record's size choice.
void EstimateFrameSize(const ProfileRecord &record, int &width, int &height);

/// The estimated video bit rate in kbit/s from the record's three coefficients.
int EstimateVideoBitRate(const ProfileRecord &record);

/**
 * The frame the output of record will have when its size choice names one (a preset, or the
 * custom size raised to multiples of 16, as the argument builder writes it).
 * @return false for "Original size" (the source's own size is kept) and unknown choices
 */
bool OutputFrame(const ProfileRecord &record, int &width, int &height);

/**
 * Sets the record's aspect (and letterbox pads when needed) for target frame index. Index
 * chooses between 4:3 and 16:9; the bars are computed for the output's own frame, so the
 * picture keeps its shape inside them. With "Original size" the bars are added around the
 * unscaled picture.
 */
void ApplyAutomaticAspect(ProfileRecord &record, int index);

/// Copies current into task and derives the values above.
void ApplyProfile(Task &task, const ProfileRecord &current, ApplyPath path,
                  const OutputPlace &place);

/// Applies current to every task, in list order.
void ApplyToEveryTask(TaskList &tasks, const ProfileRecord &current, ApplyPath path,
                      const OutputPlace &place);

/**
 * A profile pick: with exactly one task selected, applies current to every task when
 * apply_to_all is set, else to the selected one; any other selection changes no task.
 * @return whether any task was changed
 */
bool ApplyOnProfilePick(TaskList &tasks, const std::vector<int> &selected, bool apply_to_all,
                        const ProfileRecord &current, const OutputPlace &place);

/// The task's estimated output size in MB (of 1048576 bytes), from the size model (SizeModel.h).
double EstimatedSizeMb(const Task &task);

/// Whether EstimatedSizeMb is only a guess: a quality-based part (-crf, -qscale, -b 0, copied
/// streams) whose rate only a sample encode (SampleWorker.h) can tell.
bool EstimateIsApproximate(const Task &task);

/**
 * The Estimated Size column's text: "12.34 MB", "~12.34 MB" while it is a guess, or the sample's
 * measure when one was made for the task's current settings.
 */
std::string EstimatedSizeText(const Task &task, const std::optional<double> &sampled_bytes = {});

/// The same from the task's estimate made already (EstimateSize(ShapeOf(task))), with the size
/// known otherwise (a sample's measure, a plan's size) in its place: a refresh of the whole list
/// reads each task's shape once.
std::string EstimatedSizeText(const sizing::SizeBreakdown &estimate,
                              const std::optional<double> &known_bytes);

/// The sum of every task's estimated size, in MB.
double TotalEstimatedSizeMb(const TaskList &tasks);

} // namespace quillet
