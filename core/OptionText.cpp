// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/OptionText.h"

#include <cinttypes>
#include <cstdio>

namespace quillet {

std::vector<std::string_view> SplitOptionString(std::string_view text)
{
    std::vector<std::string_view> tokens;
    if (text.empty())
        return tokens;
    if (text.front() == ' ')
        tokens.emplace_back();
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
        if (pos == text.size())
            break;
        std::size_t end = text.find(' ', pos);
        if (end == std::string_view::npos)
            end = text.size();
        tokens.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return tokens;
}

std::string TimeText(int64_t duration_us)
{
    if (duration_us < 0)
        duration_us = 0;
    int64_t tenths = duration_us / 100000;
    int64_t hours = tenths / 36000;
    int minutes = static_cast<int>((tenths / 600) % 60);
    int seconds = static_cast<int>((tenths / 10) % 60);
    int tenth = static_cast<int>(tenths % 10);
    char text[48];
    std::snprintf(text, sizeof text, "%02" PRId64 ":%02d:%02d.%d", hours, minutes, seconds, tenth);
    return text;
}

} // namespace quillet
