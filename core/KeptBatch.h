// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Task.h"
#include "core/TaskResult.h"
#include "platform/FileStamp.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

/**
 * The batch as it is kept between runs of the program, as plain values: every task whole, and
 * beside it what the store knows of the task's source and of the runs that converted it. The
 * file format is BatchFile's; the store that writes and reads it is BatchStore.
 */
namespace quillet {

/// A finished output as the run that made it recorded it.
struct MadeOutput
{
    std::string path; ///< the name the output got
    uint64_t size_bytes = 0; ///< its size when it was finished
    std::string recipe; ///< RecipeOf the task when the output was made

    friend bool operator==(const MadeOutput &, const MadeOutput &) = default;
};

/// The final name a run claimed for a task's output (platform::OutputClaim), recorded before the
/// output can appear under it.
struct ClaimedOutput
{
    std::string path;
    std::string recipe; ///< RecipeOf the task when its conversion started

    friend bool operator==(const ClaimedOutput &, const ClaimedOutput &) = default;
};

/// What runs did with one task.
struct RunFacts
{
    bool running = false; ///< a run was converting it when the batch was last written
    std::optional<ClaimedOutput> claimed; ///< while running: the name its output will get
    std::optional<MadeOutput> made; ///< the done mark: its output exists, complete
    std::optional<TaskResult> result; ///< what became of it in its last run

    /// Member by member (TaskResult has no comparison of its own).
    friend bool operator==(const RunFacts &a, const RunFacts &b);
};

/// One task of a kept batch.
struct KeptTask
{
    std::unique_ptr<Task> task;
    /// The source as it was when the task was added; nothing when it could not be reached then.
    std::optional<platform::FileStamp> source_stamp;
    RunFacts run;
};

/// Where the batch's runs stood when it was last written.
enum class BatchPhase {
    Idle, ///< no run yet, or the last one was cancelled
    Running, ///< a run was converting (the program may have been killed)
    Finished, ///< the last run went through to its end
};

struct KeptBatch
{
    BatchPhase phase = BatchPhase::Idle;
    std::vector<KeptTask> tasks;
};

/// How a kept task's source compares with the one it was added for.
enum class SourceCondition {
    Unchanged,
    Changed, ///< another size or time, or no longer a regular file
    Gone, ///< nothing can be reached at the path
};

/// A deep copy of task: its stream array is copied too, the way the engine allocates one.
std::unique_ptr<Task> CopyOf(const Task &task);

/// The condition of the source at path now against its stamp from when the task was added. A
/// source that could not be reached then is Changed when something is there now: it cannot be
/// shown to be the same file.
SourceCondition ConditionOf(const std::string &path,
                            const std::optional<platform::FileStamp> &added_stamp);

/// Whether a run's result is the output made: made, made and its post-processing failed, or made
/// and its post-processing stopped by Cancel (the output is whole and stays).
bool OutputWasMade(const TaskResult &result);

} // namespace quillet
