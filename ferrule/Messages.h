// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace quillet::ferrule {

/// Where the importer tells the user what went wrong: message boxes on a desktop, standard error
/// elsewhere.
class Messages
{
public:
    virtual ~Messages() = default;

    /// Shows one warning and returns once the user has seen it (for a box: closed it).
    /// @param text the message, in the local 8-bit encoding like the paths it carries
    virtual void Warn(const std::string &text) = 0;
};

} // namespace quillet::ferrule
