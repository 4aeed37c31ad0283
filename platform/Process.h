// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace quillet::platform {

/// How a started program ended.
struct ProcessResult
{
    bool started = false;
    int exit_status = -1; ///< the exit status, or 128 + the signal that ended it
    std::string error; ///< why it could not be started
};

/**
 * Starts argv[0] with argv as its arguments, without a shell (so no argument is ever split,
 * expanded or interpreted), in this program's folder and environment, and waits until it ends.
 * argv[0] is looked up on PATH when it holds no '/'.
 * The program inherits no descriptor beyond its standard streams (platform::ChildProcess).
 */
ProcessResult RunAndWait(const std::vector<std::string> &argv);

/// Starts a program the same way without waiting for it (its end is collected by the system).
bool StartDetached(const std::vector<std::string> &argv);

} // namespace quillet::platform
