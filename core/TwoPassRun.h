// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <dolmar.h>

#include <functional>
#include <string>
#include <vector>

/**
 * Planned rates in an engine argument vector, and runs in two passes: a vector that asks for the
 * second pass ("-pass 2 -passlogfile PREFIX") is run by TwoPassEngine as the engine's first pass
 * and then the vector itself, as one job of the pool (JobPool.h) with one output.
 */
namespace quillet {

using EngineFn = std::function<int(int, char **, ProgressCallback)>;

/// Gives the run's video kbps: the value of the vector's last -b (the profile's own options,
/// which come after Para's and win in the engine), or a -b before engine_output when it has none.
void SetVideoRate(std::vector<std::string> &args, double kbps, const std::string &engine_output);

/// Asks for the second pass of a two-pass encode whose statistics go to log_prefix: the options
/// go just before engine_output, with the output's other options.
void AskTwoPasses(std::vector<std::string> &args, const std::string &engine_output,
                  const std::string &log_prefix);

/**
 * engine, made to run a second-pass vector as both passes: first the vector with "-pass 1" and
 * without its -fs limit (a first pass stopped early would leave the second without statistics
 * for the end), then the vector as it is. The reports' positions run through both passes in
 * turn, each pass counted half, so progress never goes back. Any other vector runs as it is.
 */
EngineFn TwoPassEngine(EngineFn engine);

} // namespace quillet
