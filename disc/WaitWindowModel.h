// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace quillet {

/**
 * What the wait window shows while subtitle tracks are extracted: a bar from 0 to 100, the
 * percentage beside it and a message above. The window redraws only what Update changed.
 */
class WaitWindowModel
{
public:
    /// What an update changed.
    struct Changes
    {
        bool percent = false; ///< bar and percentage label
        bool message = false;
    };

    /// The bar and its label follow percent only when it differs from the bar's position; the
    /// message always takes text.
    Changes Update(int percent, std::string_view text);

    int Position() const { return m_position; }
    const std::string &PercentText() const { return m_percent_text; }
    const std::string &Message() const { return m_message; }

private:
    int m_position = 0;
    std::string m_percent_text = "100 %";
    std::string m_message = "Please waitting, maybe need a few minutes...";
};

} // namespace quillet
