// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ChildProcess.h"

#include <string>
#include <vector>

namespace mkvextract {

/**
 * Starts an mkvtoolnix program: standard input from /dev/null, standard output through a pipe to
 * us, standard error discarded (in the modes we use, the programs put what matters on standard
 * output). The child runs in the C.UTF-8 locale, because mkvtoolnix decodes its command line with
 * the locale's character set and under "C" it cuts a path at its first non-ASCII byte.
 * Throws MkvError(Unreadable) when the program cannot start.
 */
quillet::platform::ChildProcess StartTool(const std::vector<std::string> &argv);

} // namespace mkvextract
