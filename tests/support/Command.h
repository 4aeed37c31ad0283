// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quillet::test {

struct CommandResult
{
    int exit_code = -1; ///< the exit status, or 128 + signal number
    std::string out; ///< standard output
    std::string err; ///< standard error
};

/// Sees all of a running program's standard error so far each time more arrives, with the
/// program's process id (to signal it).
using ErrorWatcher = std::function<void(const std::string &err, int pid)>;

/// Runs a program without a shell (argv[0] is looked up on PATH) and collects its output.
/// extra_env entries ("NAME=value") are added to this process's environment.
CommandResult RunCommand(const std::vector<std::string> &argv,
                         const std::vector<std::string> &extra_env = {},
                         const ErrorWatcher &watch_errors = {});

} // namespace quillet::test
