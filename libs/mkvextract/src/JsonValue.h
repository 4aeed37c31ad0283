// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mkvextract {

struct JsonMember;

/// One value of a parsed JSON document. Numbers keep their source text, because mkvmerge writes
/// 64-bit unsigned track UIDs that a double would round; callers convert what they need.
class JsonValue
{
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    static JsonValue MakeNull();
    static JsonValue MakeBool(bool value);
    static JsonValue MakeNumber(std::string text);
    static JsonValue MakeString(std::string text);
    static JsonValue MakeArray(std::vector<JsonValue> items);
    static JsonValue MakeObject(std::vector<JsonMember> members);

    bool IsObject() const { return m_kind == Kind::Object; }
    bool IsArray() const { return m_kind == Kind::Array; }

    /// The member named name of an object; nullptr when absent or when this is no object.
    const JsonValue *Find(std::string_view name) const;
    /// The text of a string; empty for every other kind.
    std::string_view Text() const;
    /// A number that is an integer fitting int64_t; nullopt otherwise.
    std::optional<std::int64_t> AsInt64() const;
    /// A bool; nullopt for every other kind.
    std::optional<bool> AsBool() const;
    /// The elements of an array; empty for every other kind.
    const std::vector<JsonValue> &Items() const { return m_items; }

private:
    // Defined where JsonMember is complete: the member vector needs it.
    explicit JsonValue(Kind kind);

    Kind m_kind;
    bool m_bool = false;
    std::string m_text; ///< string contents, or a number's source text
    std::vector<JsonValue> m_items;
    std::vector<JsonMember> m_members;
};

struct JsonMember
{
    std::string name;
    JsonValue value;
};

} // namespace mkvextract
