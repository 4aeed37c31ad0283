// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "texts/LanguageKeys.h"

#include <QString>

namespace quillet {

class Texts;

/**
 * The windows' one way to a catalogued text: key's text in the current language of texts (its
 * English default where the language file has none), as the window shows it.
 *
 *     setWindowTitle(UiText(m_texts, CataloguedKey("FILEINFO_DLG", "strTitleInfo")));
 */
QString UiText(const Texts &texts, const LanguageKey &key);

/**
 * As UiText, for a text the window fills as a printf format: a translation whose conversions
 * disagree with the English default's is replaced by the default (Texts::LookupFormat), so a
 * language file can never make the window read past its arguments.
 */
QString UiFormat(const Texts &texts, const LanguageKey &key);

} // namespace quillet
