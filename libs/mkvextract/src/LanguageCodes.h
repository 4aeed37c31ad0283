// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mkvextract {

/**
 * A track's language as mkvmerge reports it, from the Language element's text: the ISO 639-2
 * code, the bibliographic one where the standard has two ("deu" is reported as "ger"), "und"
 * for an empty text. nullopt for anything else (two-letter codes, upper case, IETF tags, the
 * local-use range qaa-qtz, unknown codes): mkvmerge maps those through tables of its own, so
 * such a track is left to it.
 */
std::optional<std::string> ReportedLanguage(std::string_view language_element);

/// Every three-letter code ReportedLanguage takes, for the tests that hold the table against
/// mkvmerge.
std::vector<std::string_view> KnownLanguageCodes();

} // namespace mkvextract
