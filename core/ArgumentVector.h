// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

/**
 * The engine's argument vector: a fixed number of entries of at most kMaxEntryLength characters.
 * An append that would need one entry more than the capacity, or a longer entry, is refused:
 * the vector records why (the first refusal) and accepts nothing more, so a builder can append
 * freely and check Failed() once at the end. Nothing is ever cut or written past.
 */
class ArgumentVector
{
public:
    static constexpr std::size_t kMaxEntryLength = 255;
    static constexpr std::size_t kSingleTaskCapacity = 200;
    static constexpr std::size_t kMergedCapacity = 100;

    explicit ArgumentVector(std::size_t capacity);

    /// Appends one entry; false (and nothing appended) when refused.
    bool Append(std::string_view entry);

    std::size_t Count() const { return m_entries.size(); }
    std::size_t Capacity() const { return m_capacity; }
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
    std::size_t m_capacity;
    std::vector<std::string> m_entries;
    std::string m_error;
};

} // namespace quillet
