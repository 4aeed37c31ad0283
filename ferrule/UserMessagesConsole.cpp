// SPDX-License-Identifier: GPL-3.0-or-later
// Builds without Qt: standard error is the only place to report to.
#include "UserMessages.h"

#include "StderrMessages.h"

namespace quillet::ferrule {

std::unique_ptr<Messages> MakeUserMessages(const std::string &)
{
    return std::make_unique<StderrMessages>();
}

} // namespace quillet::ferrule
