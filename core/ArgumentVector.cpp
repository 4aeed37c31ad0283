// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ArgumentVector.h"

namespace quillet {

ArgumentVector::ArgumentVector(std::size_t capacity)
    : m_capacity(capacity)
{
    m_entries.reserve(capacity);
}

bool ArgumentVector::Append(std::string_view entry)
{
    if (Failed())
        return false;
    if (m_entries.size() >= m_capacity) {
        m_error = "The conversion needs more than " + std::to_string(m_capacity)
            + " engine arguments (too many audio tracks, inputs or profile options).";
        return false;
    }
    if (entry.size() > kMaxEntryLength) {
        std::string shown(entry.substr(0, 60));
        m_error = "An engine argument is longer than " + std::to_string(kMaxEntryLength)
            + " characters (" + std::to_string(entry.size()) + "): \"" + shown
            + "...\". Use a shorter file name, folder or profile option.";
        return false;
    }
    m_entries.emplace_back(entry);
    return true;
}

std::vector<char *> ArgumentVector::Argv()
{
    std::vector<char *> argv;
    argv.reserve(m_entries.size() + 1);
    for (auto &e : m_entries)
        argv.push_back(e.data());
    argv.push_back(nullptr);
    return argv;
}

std::string ArgumentVector::CommandLine() const
{
    std::string line;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (i)
            line += ' ';
        line += m_entries[i];
    }
    return line;
}

} // namespace quillet
