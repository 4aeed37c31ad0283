// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillet::platform {
class OutputClaim;
}

/**
 * What the driver asks of a finished output before it names it: the size limit its run was given,
 * how long it really is, and, for an output the engine stopped at that limit (CutRule.h), naming it
 * " (cut)" instead of its final name.
 */
namespace quillet {

/// The last -fs value (KiB) of an engine argument vector; 0 when it has none.
int64_t SizeLimitKibOf(const std::vector<std::string> &args);

/// The length of a media file as the engine's probe reads it, in seconds; 0 when it cannot be read.
double ProbedDurationS(const std::string &path);

/**
 * Gives the finished temporary file of claim the first free name of its " (cut)" sequence
 * (sizing::CutOutputPath of the claimed final name), which is claimed as any output name is. The
 * claimed final name never holds the file, not for a moment. claim is abandoned either way.
 * @param named receives the name the file got
 * @return false, with error set and the file removed, when it could not be named
 */
bool CommitAsCut(platform::OutputClaim &claim, std::string &named, std::string *error);

} // namespace quillet
