// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace quillet::platform {

/// A language identifier in the classic form: primary language in the low 10 bits, the
/// sub-language (region or script) above them. English (US) is primary 9, sub 1: 0x0409.
constexpr unsigned MakeLanguageId(unsigned primary, unsigned sub)
{
    return (sub << 10) | primary;
}
constexpr unsigned PrimaryLanguage(unsigned id)
{
    return id & 0x3FF;
}
constexpr unsigned SubLanguage(unsigned id)
{
    return id >> 10;
}

/**
 * Maps a POSIX locale name ("de_CH.UTF-8", "sr_RS@latin", "pt_BR") to the language identifier.
 * "C", "POSIX" and empty names give English (US); an unknown language gives 0 (neutral); a known
 * language with an unknown or missing region gives its sub-language 1.
 */
unsigned LanguageIdFromLocale(std::string_view locale);

/// The user's language from LANGUAGE (its first entry), LC_ALL, LC_MESSAGES or LANG, the first
/// that is set and not empty.
unsigned SystemLanguageId();

} // namespace quillet::platform
