// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace mkvextract {

/// Writes text into a fixed char field of a caller-visible record: cut to capacity - 1 bytes,
/// never in the middle of a UTF-8 sequence (a window showing the name must not get half a
/// character), always NUL-terminated, and the rest of the field zeroed so no stale bytes leak.
inline void AssignFixedText(char *field, std::size_t capacity, std::string_view text)
{
    if (capacity == 0)
        return;
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

} // namespace mkvextract
