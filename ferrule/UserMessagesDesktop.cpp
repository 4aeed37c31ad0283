// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserMessages.h"

#include "DesktopMessages.h"

namespace quillet::ferrule {

std::unique_ptr<Messages> MakeUserMessages(const std::string &program_path)
{
    return std::make_unique<DesktopMessages>(program_path);
}

} // namespace quillet::ferrule
