// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NumberText.h"

#include <charconv>
#include <cmath>

namespace quillet::platform {

std::string FormatFixed(double value, int decimals)
{
    char text[400];
    auto [end, ec]
        = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        return "0";
    return std::string(text, end);
}

double ParseLeadingDouble(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()
           && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'
               || text[i] == '\f' || text[i] == '\v'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // from_chars takes no sign of its own beyond '-', and no leading blanks.
    double value = 0;
    auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value,
                                     std::chars_format::general);
    if (ec == std::errc::result_out_of_range)
        value = HUGE_VAL;
    else if (ec != std::errc())
        return 0;
    (void)end;
    return negative ? -value : value;
}

} // namespace quillet::platform
