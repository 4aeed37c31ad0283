// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace quillet {

/**
 * Where user-visible texts come from: a lookup by (section, key) with the built-in English text as
 * the default. The language table implements it; the core asks through it so it needs no window
 * toolkit and no language files of its own.
 */
class Texts
{
public:
    virtual ~Texts() = default;

    /// The text of key in section, or default_text when there is none.
    virtual std::string Lookup(std::string_view section, std::string_view key,
                               std::string_view default_text) const = 0;

    /**
     * For a text the caller will use as a printf format: the looked-up text only when its
     * conversions agree with the default's in number and type (FormatsAgree); otherwise the
     * default. A broken or hostile language file can then never make the program read past its
     * arguments or write through %n.
     */
    std::string LookupFormat(std::string_view section, std::string_view key,
                             std::string_view default_format) const;
};

/// Texts with no language file: every lookup gives its default.
class BuiltInTexts final : public Texts
{
public:
    std::string Lookup(std::string_view section, std::string_view key,
                       std::string_view default_text) const override;
};

/**
 * Whether candidate, used as a printf format, takes the same arguments as reference: the same
 * conversions in the same order, each of the same argument type (int, unsigned, double, text,
 * pointer; length modifiers included; '*' counts as an int argument). A conversion may have a
 * field width or a precision only where reference's has one, and no larger than 64 (or than
 * reference's own), so a translation cannot make a text megabytes long. %n is never accepted,
 * nor an unknown or unfinished conversion, nor positional arguments.
 */
bool FormatsAgree(std::string_view candidate, std::string_view reference);

/// A format from LookupFormat filled with its arguments, at whatever length it comes out.
template<typename... Args> std::string FormatText(const std::string &format, Args... args)
{
    const int length = std::snprintf(nullptr, 0, format.c_str(), args...);
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format.c_str(), args...);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

} // namespace quillet
