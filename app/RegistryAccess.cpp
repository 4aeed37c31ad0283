// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RegistryAccess.h"

namespace quillet {

using Type = platform::SettingsStore::Type;

RegistryAccess::RegistryAccess(platform::SettingsStore store)
    : m_store(std::move(store))
{ }

int RegistryAccess::ReadNumber(std::string_view sub_key, std::string_view name,
                               uint32_t &number) const
{
    auto value = m_store.Read(sub_key, name);
    if (!value || (value->type != Type::Number && value->type != Type::NumberBigEndian))
        return 0;
    number = value->number;
    return 1;
}

int RegistryAccess::ReadText(std::string_view sub_key, std::string_view name,
                             std::string &text) const
{
    auto value = m_store.Read(sub_key, name);
    if (!value
        || (value->type != Type::String && value->type != Type::ExpandString
            && value->type != Type::Link))
        return 0;
    text = value->text;
    return 1;
}

int RegistryAccess::WriteNumber(std::string_view sub_key, std::string_view name,
                                uint32_t number) const
{
    platform::SettingsStore::Value value;
    value.type = Type::Number;
    value.number = number;
    return m_store.Write(sub_key, name, value) ? 1 : 0;
}

int RegistryAccess::WriteText(std::string_view sub_key, std::string_view name,
                              std::string_view text) const
{
    platform::SettingsStore::Value value;
    value.type = Type::String;
    value.text = std::string(text);
    return m_store.Write(sub_key, name, value) ? 1 : 0;
}

} // namespace quillet
