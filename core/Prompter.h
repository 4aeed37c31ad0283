// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace quillet {

/**
 * How the core tells the user something or asks a yes/no question: message boxes in the window,
 * lines on the terminal for the command-line front end, a recorder in tests.
 */
class Prompter
{
public:
    enum class Icon { None, Warning, Exclamation, Question, Information };

    virtual ~Prompter() = default;
    /// Shows text with an OK button; returns when the user has seen it.
    virtual void Tell(std::string_view text, std::string_view caption = {},
                      Icon icon = Icon::Warning)
        = 0;
    /// Asks a Yes/No question; true for Yes.
    virtual bool Ask(std::string_view question, std::string_view caption = {}) = 0;
};

} // namespace quillet
