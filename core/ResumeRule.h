// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/KeptBatch.h"

#include <optional>

/**
 * The one rule for what Convert does with a task that has a history: the window, the driver and
 * quillet-cli --queue all ask it (through BatchStore::Resume), so a batch resumes the same way
 * after a crash, a restart, a Cancel or a finished run.
 */
namespace quillet {

enum class ResumeStep {
    Convert, ///< convert it (again from the start when a run was killed while converting it)
    Done, ///< its output exists complete under its final name: never make it a second time
    SkipSourceGone, ///< kept from an earlier session and its source is gone: report, skip
    SkipSourceChanged, ///< kept from an earlier session and its source changed: report, skip
};

struct ResumeVerdict
{
    ResumeStep step = ResumeStep::Convert;
    /// When Done: the output that makes it so, as it is now.
    std::optional<MadeOutput> made;
};

/**
 * The resume rule for one task:
 * - a source that is gone or changed since the task was added (source) is skipped;
 * - a task recorded as made, for what the task is now (its recipe), whose output is still a
 *   regular file of the recorded size, is Done;
 * - a task whose run was killed after it claimed its output's final name is Done when a file has
 *   that name: only a complete output is ever given it (platform::OutputClaim), so the output
 *   was finished before its mark could be written;
 * - anything else is converted: a task never made, made for other settings, whose output was
 *   deleted or changed, or whose run was killed before its output was complete (the claim
 *   already discarded the half-made file).
 * Reads the file system (the recorded outputs' sizes); changes nothing.
 */
ResumeVerdict DecideResume(const Task &task, SourceCondition source, const RunFacts &run);

/// The same rule for a task whose output is made from more than the task alone (a merged run):
/// recipe stands for what the output is made from (batch_file::MergedRecipeOf).
ResumeVerdict DecideResume(SourceCondition source, const RunFacts &run, const std::string &recipe);

/// Whether a kept batch is offered back at start-up: it has tasks, and either its last run did
/// not end (the program was killed or the session ended while converting) or some task was
/// never made. A batch whose run went through and made every task is not offered.
bool OfferRestore(const KeptBatch &batch);

} // namespace quillet
