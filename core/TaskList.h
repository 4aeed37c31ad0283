// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Task.h"

#include <memory>
#include <vector>

namespace quillet {

/// The batch: an ordered list of tasks, index 0 first. It owns every task.
class TaskList
{
public:
    /// Appends task and returns its index.
    int Add(std::unique_ptr<Task> task);
    /// The task at index, or null outside 0..Count()-1.
    Task *Get(int index) const;
    int Count() const { return static_cast<int>(m_tasks.size()); }
    /// Deletes the task at index (releasing the engine's records); 0, or -1 for a bad index.
    int Remove(int index);
    /// Moves the task at from to position to, shifting the ones between; -1 for a bad index.
    int Move(int from, int to);
    /// Removes every task, last index first.
    void Clear();

    auto begin() const { return m_tasks.begin(); }
    auto end() const { return m_tasks.end(); }

private:
    std::vector<std::unique_ptr<Task>> m_tasks;
};

} // namespace quillet
