// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/JsonText.h"

#include <charconv>
#include <cmath>

namespace quillet {

bool IsStrictUtf8(std::string_view text)
{
    const auto *s = reinterpret_cast<const unsigned char *>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        // The second byte's range depends on the lead (this is what rules out overlong forms,
        // surrogates and code points past U+10FFFF); the others are always 80..BF.
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        std::size_t length = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (i + length > n || s[i + 1] < low || s[i + 1] > high)
            return false;
        for (std::size_t k = 2; k < length; ++k)
            if (s[i + k] < 0x80 || s[i + k] > 0xBF)
                return false;
        i += length;
    }
    return true;
}

void JsonText::BeforeValue()
{
    if (m_after_key) {
        m_after_key = false;
        return;
    }
    if (!m_first)
        m_text += ',';
    m_first = false;
}

JsonText &JsonText::Open(char bracket)
{
    BeforeValue();
    m_text += bracket;
    m_first = true;
    return *this;
}

JsonText &JsonText::Close(char bracket)
{
    m_text += bracket;
    m_first = false;
    return *this;
}

JsonText &JsonText::LineBreak()
{
    if (!m_first)
        m_text += ',';
    m_text += '\n';
    m_first = true;
    return *this;
}

JsonText &JsonText::Key(std::string_view key)
{
    BeforeValue();
    Quoted(key);
    m_text += ':';
    m_after_key = true;
    return *this;
}

void JsonText::Quoted(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    m_text += '"';
    std::size_t plain = 0; // start of the run not yet copied
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        m_text.append(text, plain, i - plain);
        plain = i + 1;
        switch (c) {
        case '"':
            m_text += "\\\"";
            break;
        case '\\':
            m_text += "\\\\";
            break;
        case '\n':
            m_text += "\\n";
            break;
        case '\r':
            m_text += "\\r";
            break;
        case '\t':
            m_text += "\\t";
            break;
        default:
            m_text += "\\u00";
            m_text += kHex[c >> 4];
            m_text += kHex[c & 0x0F];
        }
    }
    m_text.append(text, plain, text.size() - plain);
    m_text += '"';
}

JsonText &JsonText::Text(std::string_view text)
{
    if (IsStrictUtf8(text)) {
        BeforeValue();
        Quoted(text);
        return *this;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(text.size() * 2);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0x0F];
    }
    Open('{');
    Key("bytes");
    BeforeValue();
    Quoted(hex);
    return Close('}');
}

JsonText &JsonText::Int(int64_t value)
{
    BeforeValue();
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    m_text.append(digits, result.ptr);
    return *this;
}

JsonText &JsonText::Uint(uint64_t value)
{
    BeforeValue();
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    m_text.append(digits, result.ptr);
    return *this;
}

JsonText &JsonText::Number(double value)
{
    if (std::isnan(value))
        return Text("nan");
    if (std::isinf(value))
        return Text(value > 0 ? "inf" : "-inf");
    BeforeValue();
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    m_text.append(digits, result.ptr);
    return *this;
}

JsonText &JsonText::Bool(bool value)
{
    BeforeValue();
    m_text += value ? "true" : "false";
    return *this;
}

JsonText &JsonText::Null()
{
    BeforeValue();
    m_text += "null";
    return *this;
}

} // namespace quillet
