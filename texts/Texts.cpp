// SPDX-License-Identifier: GPL-3.0-or-later
#include "texts/Texts.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace quillet {

namespace {

// The widest field and the longest precision a translation may ask for where its default has
// one: enough for any column or number of decimals, and far from the megabytes a width such as
// %99999999s would make of every text it fills.
constexpr long kMaxFieldWidth = 64;

/// One conversion of a format: the argument kinds it consumes ("int", "l:int", "double", "text";
/// a '*' width or precision is one more "int") and the field width and precision it writes
/// (-1 when it has none).
struct Conversion
{
    std::vector<std::string> kinds;
    long width = -1;
    long precision = -1;
};

/// The digits at i as a number (capped so it cannot overflow), i moved past them; -1 when there
/// are none.
long ReadNumber(std::string_view format, std::size_t &i)
{
    long value = -1;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
        value = std::min((value < 0 ? 0 : value) * 10 + (format[i] - '0'), 1000000L);
        ++i;
    }
    return value;
}

/// The conversions of a format in order, or nothing when it has one that is not accepted.
std::optional<std::vector<Conversion>> Conversions(std::string_view format)
{
    std::vector<Conversion> conversions;
    std::size_t i = 0;
    while (i < format.size()) {
        if (format[i++] != '%')
            continue;
        if (i < format.size() && format[i] == '%') {
            ++i;
            continue;
        }
        Conversion conversion;
        // Flags.
        while (i < format.size()
               && std::string_view("-+ #0'").find(format[i]) != std::string_view::npos)
            ++i;
        // Width.
        if (i < format.size() && format[i] == '*') {
            conversion.kinds.emplace_back("int");
            ++i;
        }
        conversion.width = ReadNumber(format, i);
        if (i < format.size() && format[i] == '$')
            return std::nullopt; // positional arguments
        // Precision.
        if (i < format.size() && format[i] == '.') {
            ++i;
            if (i < format.size() && format[i] == '*') {
                conversion.kinds.emplace_back("int");
                ++i;
            }
            // "%.f" is a precision of 0.
            conversion.precision = std::max(ReadNumber(format, i), 0L);
        }
        // Length modifier.
        std::string length;
        while (i < format.size()
               && std::string_view("hlLqjzt").find(format[i]) != std::string_view::npos)
            length += format[i++];
        if (i >= format.size())
            return std::nullopt;
        const char letter = format[i++];
        std::string kind;
        switch (letter) {
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
        conversion.kinds.push_back(length.append(":").append(kind));
        conversions.push_back(std::move(conversion));
    }
    return conversions;
}

/// A width or precision of a translation: none, or one where the default has one too and no
/// larger than the bound (or the default's own).
bool FieldAllowed(long candidate, long reference)
{
    return candidate < 0 || (reference >= 0 && candidate <= std::max(kMaxFieldWidth, reference));
}

} // namespace

bool FormatsAgree(std::string_view candidate, std::string_view reference)
{
    const auto a = Conversions(candidate);
    const auto b = Conversions(reference);
    if (!a || !b || a->size() != b->size())
        return false;
    for (std::size_t i = 0; i < a->size(); ++i) {
        const Conversion &mine = (*a)[i];
        const Conversion &theirs = (*b)[i];
        if (mine.kinds != theirs.kinds || !FieldAllowed(mine.width, theirs.width)
            || !FieldAllowed(mine.precision, theirs.precision))
            return false;
    }
    return true;
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
