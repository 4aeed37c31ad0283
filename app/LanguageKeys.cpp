// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LanguageKeys.h"

#include "core/Texts.h"

#include <algorithm>

namespace quillet {

namespace {

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

} // namespace

std::span<const LanguageKey> AllLanguageKeys()
{
    return kLanguageKeys;
}

const LanguageKey *FindLanguageKey(std::string_view section, std::string_view key)
{
    for (const LanguageKey &entry : kLanguageKeys) {
        if (EqualIgnoringCase(entry.section, section) && EqualIgnoringCase(entry.key, key))
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
