// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace quillet::platform {

/// One line of diagnostic output (standard error): what a developer or a bug report needs and the
/// user is not asked about, such as an engine command line or a settings file that was refused.
void DebugOutput(std::string_view line);

} // namespace quillet::platform
