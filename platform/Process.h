// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace quillet::platform {

/**
 * Starts argv[0] with argv as its arguments, without a shell (so no argument is ever split,
 * expanded or interpreted), in this program's folder and environment, without waiting for it (its
 * end is collected by the system). argv[0] is looked up on PATH when it holds no '/'.
 * The program inherits no descriptor beyond its standard streams (platform::ChildProcess).
 */
bool StartDetached(const std::vector<std::string> &argv);

} // namespace quillet::platform
