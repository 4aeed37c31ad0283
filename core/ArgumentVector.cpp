// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ArgumentVector.h"

#include <limits>

namespace quillet {

bool ArgumentVector::Append(std::string_view entry)
{
    if (Failed())
        return false;
    // ffmain counts its arguments in an int, and the null pointer after the last one is one
    // more.
    if (m_entries.size() + 1 >= static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        m_error = "The conversion needs more engine arguments than the engine can take.";
        return false;
    }
    if (entry.find('\0') != std::string_view::npos) {
        m_error = "An engine argument holds a NUL character: \""
            + std::string(entry.substr(0, entry.find('\0'))) + "...\".";
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
