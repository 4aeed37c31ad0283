// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ConversionDriver.h"
#include "core/CutRule.h"
#include "core/SampleFolder.h"
#include "core/SourceSnapshot.h"
#include "platform/OutputClaim.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The driver's own: shared by the files the driver is split into, seen by nothing else.
namespace quillet {

/// Whether path names a regular file; its size goes to size when given.
bool IsRegularFile(const std::string &path, int64_t *size = nullptr);

/// One engine run of a batch: made on the caller's thread, run by the job pool, concluded on the
/// caller's thread as it ends.
struct ConversionDriver::Conversion
{
    std::optional<platform::OutputClaim> claim;
    std::vector<std::string> args;
    int route_flag = 0;
    std::string source; ///< what a failure is listed under
    std::vector<std::string> inputs; ///< the files the engine reads, which must not change
    std::vector<SourceSnapshot> before;
    uint32_t started_ms = 0;
    uint32_t ended_ms = 0;
    /// What the cut rule needs to know of the run: the seconds it converts, its -fs limit, its
    /// pictures a second.
    sizing::OutputFacts expected;
    /// The budget's plan applies: its index there, the path the engine writes, and the folder
    /// of its two passes' statistics (removed with the conversion).
    std::optional<std::size_t> budget_index;
    std::string engine_output;
    std::unique_ptr<sizing::SampleFolder> passes;
    // What the run came to.
    std::optional<std::string> output; ///< the name the output got
    std::optional<RunFailure> failure;
    bool cancelled = false;
    int64_t output_bytes = 0;
    /// Stopped at its size limit: the part that was made, under its " (cut)" name, and its facts.
    std::optional<std::string> cut_output;
    sizing::OutputFacts cut;
};

} // namespace quillet
