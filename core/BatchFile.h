// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/KeptBatch.h"
#include "core/TaskList.h"

#include <string>
#include <string_view>

/**
 * The kept batch's file format: one JSON document (docs/decisions.md, "The kept batch", lists
 * its members).
 *
 *   {"format": "quillet batch", "version": 1, "phase": "idle" | "running" | "finished",
 *    "tasks": [{"source": ..., "profile": {...}, "run": {...}, ...}, ...]}
 *
 * Every member of a task is written, the task's own profile settings field by field under their
 * profile-file keys. Texts are JSON strings when they are UTF-8, else {"bytes": "<hex>"}, so a
 * file name in another encoding comes back byte for byte; floats that are no number are the
 * strings "nan", "inf", "-inf". A reader takes a file of its own version or an older one and
 * ignores members it does not know; a file of a newer version is refused whole, and so is a file
 * with any member missing, of the wrong type or out of range: nothing is ever taken half-read.
 */
namespace quillet::batch_file {

/// The version this program writes; a file with a larger one is Newer.
inline constexpr int kFormatVersion = 1;
/// The "format" member: tells a kept batch from any other JSON file.
inline constexpr std::string_view kFormatName = "quillet batch";

/// The "phase" member's value.
std::string_view PhaseName(BatchPhase phase);

/// The file's text for batch.
std::string Encode(const KeptBatch &batch);

struct Decoded
{
    enum class Status {
        Ok,
        Newer, ///< written by a newer program: its format is unknown here
        Damaged, ///< not a kept batch, or one with a part missing or wrong
    };
    Status status = Status::Damaged;
    KeptBatch batch; ///< all tasks, when Ok; empty otherwise
    std::string reason; ///< what is wrong and where (for the log), when not Ok
};

/// Reads and validates a whole file's text.
Decoded Decode(std::string_view text);

/**
 * What the task's output is made from: its source, its own profile settings (not their file or
 * name), trims, audio-track choice, subtitle, aspect choice and route, as a short stable text.
 * Two tasks with the same recipe make the same output; an output made with another recipe is not
 * this task's.
 */
std::string RecipeOf(const Task &task);

/**
 * The recipe of a merged run's one output: every task's recipe in the list's order and the
 * profile the run converts with. A task made into a merged output is done only for the same
 * merge, never for a run of its own (nor the other way round).
 */
std::string MergedRecipeOf(const TaskList &tasks, const ProfileRecord &profile);

} // namespace quillet::batch_file
