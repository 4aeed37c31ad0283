// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ExtensionList.h"

#include "platform/TextCase.h"

namespace quillet {

namespace {

/// Calls visit with each entry of list, without its dot.
template<typename Visit> bool AnyEntry(std::string_view list, Visit visit)
{
    while (!list.empty()) {
        list.remove_prefix(list.front() == '.' ? 1 : 0);
        const auto end = list.find('.');
        if (visit(list.substr(0, end)))
            return true;
        list = end == std::string_view::npos ? std::string_view() : list.substr(end);
    }
    return false;
}

} // namespace

bool ExtensionInList(std::string_view list, std::string_view extension)
{
    if (extension.starts_with('.'))
        extension.remove_prefix(1);
    if (extension.empty())
        return false;
    return AnyEntry(list, [&](std::string_view entry) {
        return platform::EqualsIgnoringCase(entry, extension);
    });
}

std::string ExtensionPatterns(std::string_view list)
{
    std::string patterns;
    AnyEntry(list, [&](std::string_view entry) {
        if (!entry.empty())
            patterns += (patterns.empty() ? "*." : "; *.") + std::string(entry);
        return false;
    });
    return patterns;
}

} // namespace quillet
