// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Prompter.h"

#include <string>
#include <string_view>

namespace quillet {

/**
 * What a session needs of any front end, with or without a window: questions and messages
 * (Prompter), the summary line, and the split list's choice. quillet-cli implements this alone;
 * a front end that shows the task list implements TaskListHost, which adds the window's part.
 */
class SessionHost : public Prompter
{
public:
    /// The summary line under the list (the progress line of a terminal).
    virtual void SetSummary(std::string_view caption) = 0;

    /// The split list's selected entry text and the custom split size.
    virtual std::string SplitChoiceText() const = 0;
    virtual int CustomSplitSizeMb() const = 0;
};

} // namespace quillet
