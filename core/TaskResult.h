// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillet {

/// What became of one task in a run: the front ends show it per row (the window) or per line
/// (quillet-cli --summary, --json).
struct TaskResult
{
    enum class Status {
        Made, ///< the output was written (and its post-processing ran)
        Failed, ///< no output: the engine or the arguments failed (reason says why)
        PostProcessFailed, ///< the output was written, its post-processing command did not run
        Cancelled, ///< stopped by Cancel, or never started because of it
    };

    std::string source;
    std::string output; ///< the output path when one was written, else empty
    Status status = Status::Failed;
    std::string reason; ///< the engine's or the runner's words; empty when made
    double seconds = 0; ///< wall time of the task's conversion and post-processing
    /// Made: by an earlier run of a kept batch, not by this one (reason says where it is).
    bool made_earlier = false;
    /// Failed because the engine stopped the output at its size limit before the end of its
    /// source: output names the part it made (its name says " (cut)"), kept_s of source_s.
    bool cut = false;
    double kept_s = 0;
    double source_s = 0;
    /// The size a disc plan or a size target gave the output, in bytes; 0 when none did.
    double planned_bytes = 0;
    /// The size of the file output names, in bytes, when one was written by this run.
    int64_t output_bytes = 0;
};

/// The status as scripts read it: "made", "failed", "post-processing failed", "cancelled".
constexpr std::string_view StatusName(TaskResult::Status status)
{
    switch (status) {
    case TaskResult::Status::Made:
        return "made";
    case TaskResult::Status::Failed:
        return "failed";
    case TaskResult::Status::PostProcessFailed:
        return "post-processing failed";
    case TaskResult::Status::Cancelled:
        return "cancelled";
    }
    return "failed";
}

/// The status as quillet-cli reports it: StatusName, but "cut" for an output stopped at its size
/// limit (stored batches keep StatusName's four, which a cut output's Failed is one of).
constexpr std::string_view ReportedStatusName(const TaskResult &result)
{
    return result.cut ? std::string_view("cut") : StatusName(result.status);
}

} // namespace quillet
