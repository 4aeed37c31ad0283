// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace quillet::test {

struct CommandResult
{
    int exit_code = -1; ///< the exit status, or 128 + signal number
    std::string out; ///< standard output
    std::string err; ///< standard error
};

/// Runs a program without a shell (argv[0] is looked up on PATH) and collects its output.
/// extra_env entries ("NAME=value") are added to this process's environment.
CommandResult RunCommand(const std::vector<std::string> &argv,
                         const std::vector<std::string> &extra_env = {});

} // namespace quillet::test
