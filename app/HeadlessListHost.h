// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/TaskListHost.h"

namespace quillet {

/**
 * The task list's window for a front end that has none (quillet-cli, tests of the session):
 * the list has no rows to show, no selection, no buttons, no cursor and no dialogs; questions,
 * messages, the summary line and the split choice go to the front end's SessionHost. So the
 * task-list operations run unchanged, and a front end without a window implements only what a
 * session needs of it.
 */
class HeadlessListHost final : public TaskListHost
{
public:
    explicit HeadlessListHost(SessionHost &front_end)
        : m_front_end(front_end)
    { }

    void InsertRow(int, std::string_view) override { }
    void SetCell(int, int, std::string_view) override { }
    void DeleteRow(int) override { }
    std::vector<int> SelectedRows() const override { return {}; }
    void SelectOnly(int) override { }
    void UpdateButtonStates() override { }
    void SetWaitCursor(bool) override { }
    // Nobody is there to choose: adding goes through AddSourceFile and ScanFolder.
    std::vector<std::string> ChooseFiles(std::string_view, std::string_view) override { return {}; }
    std::optional<std::string> ChooseFolder(std::string_view, std::string_view) override
    {
        return std::nullopt;
    }
    void SetSummaryPosition(int) override { }

    void SetSummary(std::string_view caption) override { m_front_end.SetSummary(caption); }
    std::string SplitChoiceText() const override { return m_front_end.SplitChoiceText(); }
    int CustomSplitSizeMb() const override { return m_front_end.CustomSplitSizeMb(); }
    void Tell(std::string_view text, std::string_view caption, Icon icon) override
    {
        m_front_end.Tell(text, caption, icon);
    }
    bool Ask(std::string_view question, std::string_view caption) override
    {
        return m_front_end.Ask(question, caption);
    }

private:
    SessionHost &m_front_end;
};

} // namespace quillet
