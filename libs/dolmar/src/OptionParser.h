// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionPlan.h"

#include <string>
#include <vector>

namespace dolmar {

/// Reads the argument dialect of ffmain into a ConversionPlan.
///
/// The vector reads like a classic command line: options given before an input (-i, or a merged
/// run's -ivs/-ias pairs) apply to that input and every later one; options after the inputs apply
/// to the output, whose path is the first argument that is not an option; after the output path,
/// each group of audio options ended by -newaudio configures one more audio stream. Empty
/// entries (a profile option string that starts with a space) carry nothing and are skipped.
/// Anything unknown, a missing value or a bad number is refused with a message naming it.
class OptionParser
{
public:
    /// argv[0] is the program name and is not read. Throws EngineError(BadArgs).
    static ConversionPlan Parse(const std::vector<std::string> &argv);
};

} // namespace dolmar
