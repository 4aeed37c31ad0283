// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/TaskListHost.h"

#include <array>
#include <deque>
#include <string>
#include <vector>

namespace quillet::test {

/// A task-list window in memory: rows of five cells, a selection, and scripted answers.
class FakeTaskListHost : public TaskListHost
{
public:
    std::vector<std::array<std::string, 5>> rows;
    std::vector<int> selected;
    std::deque<bool> answers; ///< answers to Ask, in order (No when empty)
    std::vector<std::string> asked;
    std::vector<std::string> told;
    std::vector<std::string> files_to_choose;
    std::string dialog_start_seen;
    std::optional<std::string> folder_to_choose;
    std::string summary;
    int summary_position = -1;
    std::string split_choice = "No split";
    int custom_split_mb = 4000;
    int button_updates = 0;
    int wait_depth = 0;

    void InsertRow(int index, std::string_view first) override
    {
        rows.insert(rows.begin() + index, {std::string(first), "", "", "", ""});
    }
    void SetCell(int row, int column, std::string_view text) override
    {
        rows.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column)) = text;
    }
    void DeleteRow(int row) override
    {
        rows.erase(rows.begin() + row);
        std::vector<int> kept;
        for (int s : selected)
            if (s != row)
                kept.push_back(s > row ? s - 1 : s);
        selected = kept;
    }
    std::vector<int> SelectedRows() const override { return selected; }
    void SelectOnly(int row) override
    {
        selected.clear();
        if (row >= 0)
            selected.push_back(row);
    }
    void UpdateButtonStates() override { ++button_updates; }
    void SetWaitCursor(bool on) override { wait_depth += on ? 1 : -1; }
    std::vector<std::string> ChooseFiles(std::string_view, std::string_view initial) override
    {
        dialog_start_seen = initial;
        return files_to_choose;
    }
    std::optional<std::string> ChooseFolder(std::string_view, std::string_view) override
    {
        return folder_to_choose;
    }
    void SetSummary(std::string_view caption) override { summary = caption; }
    void SetSummaryPosition(int position) override { summary_position = position; }
    std::string SplitChoiceText() const override { return split_choice; }
    int CustomSplitSizeMb() const override { return custom_split_mb; }
    void Tell(std::string_view text, std::string_view, Icon) override { told.emplace_back(text); }
    bool Ask(std::string_view question, std::string_view) override
    {
        asked.emplace_back(question);
        if (answers.empty())
            return false;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
};

} // namespace quillet::test
