// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SettingsStore.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quillet {

/**
 * The program's settings, as typed values under a key path of the settings store. Every call
 * opens, acts and closes; a value of another type than the one asked for reads as absent.
 * Results are 1 for success and 0 for failure.
 */
class RegistryAccess
{
public:
    explicit RegistryAccess(platform::SettingsStore store);

    /// Succeeds only for a number (stored as is, big-endian numbers not swapped).
    int ReadNumber(std::string_view sub_key, std::string_view name, uint32_t &number) const;
    /// Succeeds for the text types (plain, expandable — not expanded — and link).
    int ReadText(std::string_view sub_key, std::string_view name, std::string &text) const;
    int WriteNumber(std::string_view sub_key, std::string_view name, uint32_t number) const;
    int WriteText(std::string_view sub_key, std::string_view name, std::string_view text) const;

    const platform::SettingsStore &Store() const { return m_store; }

private:
    platform::SettingsStore m_store;
};

} // namespace quillet
