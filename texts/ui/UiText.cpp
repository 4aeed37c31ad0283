// SPDX-License-Identifier: GPL-3.0-or-later
#include "texts/ui/UiText.h"

#include "texts/Texts.h"

namespace quillet {

QString UiText(const Texts &texts, const LanguageKey &key)
{
    return QString::fromStdString(LookupKey(texts, key));
}

QString UiFormat(const Texts &texts, const LanguageKey &key)
{
    return QString::fromStdString(LookupKeyFormat(texts, key));
}

} // namespace quillet
