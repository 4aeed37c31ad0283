// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/TaskList.h"

#include <utility>

namespace quillet {

int TaskList::Add(std::unique_ptr<Task> task)
{
    m_tasks.push_back(std::move(task));
    return Count() - 1;
}

Task *TaskList::Get(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return m_tasks[static_cast<std::size_t>(index)].get();
}

int TaskList::Remove(int index)
{
    if (!Get(index))
        return -1;
    m_tasks.erase(m_tasks.begin() + index);
    return 0;
}

int TaskList::Move(int from, int to)
{
    if (!Get(from) || !Get(to))
        return -1;
    while (from < to) {
        std::swap(m_tasks[static_cast<std::size_t>(from)],
                  m_tasks[static_cast<std::size_t>(from) + 1]);
        ++from;
    }
    while (from > to) {
        std::swap(m_tasks[static_cast<std::size_t>(from)],
                  m_tasks[static_cast<std::size_t>(from - 1)]);
        --from;
    }
    return 0;
}

void TaskList::Clear()
{
    while (!m_tasks.empty())
        m_tasks.pop_back();
}

} // namespace quillet
