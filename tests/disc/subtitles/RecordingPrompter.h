// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Prompter.h"

#include <deque>
#include <string>
#include <vector>

namespace quillet::test {

/// Message boxes answered by the test: what was told and asked is recorded, questions get the
/// queued answers (No when none is left).
struct RecordingPrompter : Prompter
{
    std::vector<std::string> told;
    std::vector<std::string> asked;
    std::deque<bool> answers;

    void Tell(std::string_view text, std::string_view, Icon) override { told.emplace_back(text); }
    bool Ask(std::string_view question, std::string_view) override
    {
        asked.emplace_back(question);
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace quillet::test
