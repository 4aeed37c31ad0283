// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Messages.h"

#include <memory>
#include <string>

namespace quillet::ferrule {

/// The messages a user of this build sees: message boxes when built with Qt and a display can
/// take them, else standard error.
/// @param program_path argv[0]
std::unique_ptr<Messages> MakeUserMessages(const std::string &program_path);

} // namespace quillet::ferrule
