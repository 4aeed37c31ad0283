// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Texts.h"

#include <optional>
#include <vector>

namespace quillet {

namespace {

/// The argument kinds a format consumes, e.g. "int", "l:int", "double", "text".
std::optional<std::vector<std::string>> ArgumentKinds(std::string_view format)
{
    std::vector<std::string> kinds;
    std::size_t i = 0;
    while (i < format.size()) {
        if (format[i++] != '%')
            continue;
        if (i < format.size() && format[i] == '%') {
            ++i;
            continue;
        }
        // Flags.
        while (i < format.size()
               && std::string_view("-+ #0'").find(format[i]) != std::string_view::npos)
            ++i;
        // Width.
        if (i < format.size() && format[i] == '*') {
            kinds.emplace_back("int");
            ++i;
        }
        while (i < format.size() && format[i] >= '0' && format[i] <= '9')
            ++i;
        if (i < format.size() && format[i] == '$')
            return std::nullopt; // positional arguments
        // Precision.
        if (i < format.size() && format[i] == '.') {
            ++i;
            if (i < format.size() && format[i] == '*') {
                kinds.emplace_back("int");
                ++i;
            }
            while (i < format.size() && format[i] >= '0' && format[i] <= '9')
                ++i;
        }
        // Length modifier.
        std::string length;
        while (i < format.size()
               && std::string_view("hlLqjzt").find(format[i]) != std::string_view::npos)
            length += format[i++];
        if (i >= format.size())
            return std::nullopt;
        char conversion = format[i++];
        std::string kind;
        switch (conversion) {
        case 'd':
        case 'i':
        case 'c':
            kind = "int";
            break;
        case 'u':
        case 'o':
        case 'x':
        case 'X':
            kind = "unsigned";
            break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            kind = "double";
            break;
        case 's':
            kind = "text";
            break;
        case 'p':
            kind = "pointer";
            break;
        default:
            return std::nullopt; // %n and anything unknown
        }
        kinds.push_back(length.append(":").append(kind));
    }
    return kinds;
}

} // namespace

bool FormatsAgree(std::string_view candidate, std::string_view reference)
{
    auto a = ArgumentKinds(candidate);
    auto b = ArgumentKinds(reference);
    return a && b && *a == *b;
}

std::string Texts::LookupFormat(std::string_view section, std::string_view key,
                                std::string_view default_format) const
{
    std::string text = Lookup(section, key, default_format);
    if (FormatsAgree(text, default_format))
        return text;
    return BuiltInTexts().Lookup(section, key, default_format);
}

std::string BuiltInTexts::Lookup(std::string_view, std::string_view,
                                 std::string_view default_text) const
{
    return std::string(default_text);
}

} // namespace quillet
