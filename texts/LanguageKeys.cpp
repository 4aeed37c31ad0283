// SPDX-License-Identifier: GPL-3.0-or-later
#include "texts/LanguageKeys.h"

#include "platform/TextCase.h"
#include "texts/Texts.h"

namespace quillet {

std::span<const LanguageKey> AllLanguageKeys()
{
    return kLanguageKeys;
}

const LanguageKey *FindLanguageKey(std::string_view section, std::string_view key)
{
    for (const LanguageKey &entry : kLanguageKeys) {
        if (platform::EqualsIgnoringCase(entry.section, section)
            && platform::EqualsIgnoringCase(entry.key, key))
            return &entry;
    }
    return nullptr;
}

std::string LookupKey(const Texts &texts, const LanguageKey &entry)
{
    return texts.Lookup(entry.section, entry.key, entry.default_text);
}

std::string LookupKeyFormat(const Texts &texts, const LanguageKey &entry)
{
    return texts.LookupFormat(entry.section, entry.key, entry.default_text);
}

} // namespace quillet
