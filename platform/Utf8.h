// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string_view>

namespace quillet::platform {

/// The length of the UTF-8 sequence lead begins (1 to 4), 0 when lead cannot begin one.
inline std::size_t Utf8SequenceLength(unsigned char lead)
{
    return lead < 0x80        ? 1
        : (lead >> 5) == 0x6  ? 2
        : (lead >> 4) == 0xE  ? 3
        : (lead >> 3) == 0x1E ? 4
                              : 0;
}

/// Whether text is well-formed UTF-8 in its structure: every lead byte followed by the number
/// of continuation bytes it announces.
inline bool IsValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(text[i]));
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

} // namespace quillet::platform
