// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace quillet::platform {

/**
 * Writes text into a fixed char field of a flat record: at most capacity - 1 bytes, cut at an
 * embedded NUL (text after it would be invisible to every reader) and never in the middle of a
 * UTF-8 sequence (a reader must not see half a character); always NUL-terminated, and the rest
 * of the field zeroed so no stale bytes stay in the record. Nothing is ever written past the
 * field. The records of the program (FixedString) and of the C entry points of the outside
 * libraries are filled through this one function.
 */
inline void AssignFixedText(char *field, std::size_t capacity, std::string_view text)
{
    if (capacity == 0)
        return;
    text = text.substr(0, text.find('\0'));
    std::size_t length = text.size() < capacity - 1 ? text.size() : capacity - 1;
    if (length < text.size()) {
        // Step back over continuation bytes (10xxxxxx) to the start of the cut character.
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    }
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, capacity - length);
}

template<std::size_t N> void AssignFixedText(char (&field)[N], std::string_view text)
{
    AssignFixedText(field, N, text);
}

} // namespace quillet::platform
