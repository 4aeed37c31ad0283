// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DebugOutput.h"

#include <cstdio>

namespace quillet::platform {

void DebugOutput(std::string_view line)
{
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
}

} // namespace quillet::platform
