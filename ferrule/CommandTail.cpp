// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandTail.h"

namespace quillet::ferrule {

std::string JoinTail(std::span<const char *const> arguments)
{
    std::string tail;
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (i > 1)
            tail += ' ';
        tail += arguments[i];
    }
    return tail;
}

std::string RemoveQuoting(std::string_view tail)
{
    const size_t quote_count = tail.find_first_not_of('"') == std::string_view::npos
        ? tail.size()
        : tail.find_first_not_of('"');
    const std::string_view candidate = tail.substr(quote_count);
    if (candidate.size() < quote_count)
        return {};

    // The cut is unconditional: a path the converter quoted ends in quote and space, so the
    // count takes the space and the loop below takes the quote.
    size_t end = candidate.size() - quote_count;
    while (end > 0 && candidate[end - 1] == '"')
        --end;
    return std::string(candidate.substr(0, end));
}

} // namespace quillet::ferrule
