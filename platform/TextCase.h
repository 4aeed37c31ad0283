// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

/// ASCII case rules for names in files and paths (section and key names, extensions, codec ids):
/// locale-independent, byte for byte beyond ASCII.
namespace quillet::platform {

inline char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

inline std::string ToLower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), AsciiLower);
    return out;
}

inline std::string ToUpper(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), AsciiUpper);
    return out;
}

/// Whether name ends with suffix, ignoring case.
inline bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix)
{
    return name.size() >= suffix.size()
        && EqualsIgnoringCase(name.substr(name.size() - suffix.size()), suffix);
}

} // namespace quillet::platform
