// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace quillet {

/**
 * Writes JSON text straight into a string, member by member, for files the program writes for
 * itself: far faster than building a document first, which matters for a batch of thousands of
 * tasks written every second.
 *
 * Texts that are UTF-8 become JSON strings; any other bytes (a file name in another encoding)
 * become {"bytes": "<hex>"}, since JSON strings hold Unicode only and a replacement character
 * would turn the name into another one. Numbers that are no number (NaN, infinities) become the
 * strings "nan", "inf", "-inf".
 */
class JsonText
{
public:
    /// Opens an object or a list ('{' or '[') as the next value.
    JsonText &Open(char bracket);
    JsonText &Close(char bracket);
    /// Names the next value, inside an object.
    JsonText &Key(std::string_view key);

    JsonText &Text(std::string_view text);
    JsonText &Int(int64_t value);
    JsonText &Uint(uint64_t value);
    /// The shortest form that reads back as the same double (so a float comes back exact too).
    JsonText &Number(double value);
    JsonText &Bool(bool value);
    JsonText &Null();
    /// A member: Key(key) and the value.
    template<typename T> JsonText &Member(std::string_view key, const T &value);

    const std::string &Str() const { return m_text; }
    std::string Take() { return std::move(m_text); }
    /// Starts a new line before the next value (after its comma), for files people read too.
    JsonText &LineBreak();
    /// Ends the line (before a closing bracket).
    JsonText &EndLine()
    {
        m_text += '\n';
        return *this;
    }

private:
    void BeforeValue();
    void Quoted(std::string_view text);

    std::string m_text;
    bool m_first = true; // no value yet in the object or list now open
    bool m_after_key = false;
};

/// Whether text is UTF-8 as JSON takes it (RFC 3629: no overlong forms, no surrogates, nothing
/// past U+10FFFF).
bool IsStrictUtf8(std::string_view text);

template<typename T> JsonText &JsonText::Member(std::string_view key, const T &value)
{
    Key(key);
    if constexpr (std::is_same_v<T, bool>)
        return Bool(value);
    else if constexpr (std::is_floating_point_v<T>)
        return Number(static_cast<double>(value));
    else if constexpr (std::is_integral_v<T> && std::is_unsigned_v<T>)
        return Uint(value);
    else if constexpr (std::is_integral_v<T>)
        return Int(value);
    else
        return Text(value);
}

} // namespace quillet
