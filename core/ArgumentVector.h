// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

/**
 * The engine's argument vector. It grows as needed: a run of fifty joined clips, many audio
 * tracks or paths of any length fit. Only what the engine itself cannot take is refused: more
 * entries than its int argument count holds, or an entry with a NUL byte (a C string would end
 * there and the engine would read another argument than the one built). The vector then records
 * why (the first refusal) and accepts nothing more, so a builder can append freely and check
 * Failed() once at the end.
 */
class ArgumentVector
{
public:
    ArgumentVector() = default;

    /// Appends one entry; false (and nothing appended) when refused.
    bool Append(std::string_view entry);

    std::size_t Count() const { return m_entries.size(); }
    const std::string &operator[](std::size_t i) const { return m_entries[i]; }
    const std::vector<std::string> &Entries() const { return m_entries; }

    bool Failed() const { return !m_error.empty(); }
    /// Why an append was refused; empty when none was.
    const std::string &Error() const { return m_error; }

    /// Pointers to the entries for a C call, followed by a null pointer. Valid while the vector
    /// is alive and unchanged.
    std::vector<char *> Argv();

    /// The entries joined by single spaces.
    std::string CommandLine() const;

private:
    std::vector<std::string> m_entries;
    std::string m_error;
};

} // namespace quillet
