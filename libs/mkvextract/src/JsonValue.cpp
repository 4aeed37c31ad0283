// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonValue.h"

#include <charconv>

namespace mkvextract {

JsonValue::JsonValue(Kind kind)
    : m_kind(kind)
{ }

JsonValue JsonValue::MakeNull()
{
    return JsonValue(Kind::Null);
}

JsonValue JsonValue::MakeBool(bool value)
{
    JsonValue v(Kind::Bool);
    v.m_bool = value;
    return v;
}

JsonValue JsonValue::MakeNumber(std::string text)
{
    JsonValue v(Kind::Number);
    v.m_text = std::move(text);
    return v;
}

JsonValue JsonValue::MakeString(std::string text)
{
    JsonValue v(Kind::String);
    v.m_text = std::move(text);
    return v;
}

JsonValue JsonValue::MakeArray(std::vector<JsonValue> items)
{
    JsonValue v(Kind::Array);
    v.m_items = std::move(items);
    return v;
}

JsonValue JsonValue::MakeObject(std::vector<JsonMember> members)
{
    JsonValue v(Kind::Object);
    v.m_members = std::move(members);
    return v;
}

const JsonValue *JsonValue::Find(std::string_view name) const
{
    for (const auto &member : m_members)
        if (member.name == name)
            return &member.value;
    return nullptr;
}

std::string_view JsonValue::Text() const
{
    return m_kind == Kind::String ? std::string_view(m_text) : std::string_view();
}

std::optional<std::int64_t> JsonValue::AsInt64() const
{
    if (m_kind != Kind::Number)
        return std::nullopt;
    std::int64_t value = 0;
    const char *end = m_text.data() + m_text.size();
    auto [stop, error] = std::from_chars(m_text.data(), end, value);
    // "1.5" or "1e3" stop early: not an integer as far as track ids go.
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

std::optional<bool> JsonValue::AsBool() const
{
    if (m_kind != Kind::Bool)
        return std::nullopt;
    return m_bool;
}

} // namespace mkvextract
