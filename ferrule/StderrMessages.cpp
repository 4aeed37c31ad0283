// SPDX-License-Identifier: GPL-3.0-or-later
#include "StderrMessages.h"

#include <cstdio>

namespace quillet::ferrule {

void StderrMessages::Warn(const std::string &text)
{
    // One write per line, so the line stays whole when the converter's own output shares stderr.
    const std::string line = text + '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace quillet::ferrule
