// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Messages.h"

namespace quillet::ferrule {

/// Warnings as one line each on standard error, for runs without a display.
class StderrMessages : public Messages
{
public:
    void Warn(const std::string &text) override;
};

} // namespace quillet::ferrule
