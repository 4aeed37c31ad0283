// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Process.h"

#include "platform/ChildProcess.h"

namespace quillet::platform {

bool StartDetached(const std::vector<std::string> &argv)
{
    return ChildProcess::StartDetached(argv);
}

} // namespace quillet::platform
