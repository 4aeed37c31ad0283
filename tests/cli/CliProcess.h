// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quillet::test {

/// A program run whose standard error is watched while it runs.
struct WatchedRun
{
    int exit_code = -1;
    std::string out;
    std::string err;
};

/**
 * Runs argv with extra environment entries; on_err is called with all of standard error so far
 * each time more arrives, and gets the child's pid (to signal it).
 */
WatchedRun RunWatched(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                      const std::function<void(const std::string &err, int pid)> &on_err);

} // namespace quillet::test
