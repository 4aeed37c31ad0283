// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonReader.h"

#include "MkvError.h"

#include <string>
#include <vector>

namespace mkvextract {

namespace {

// mkvmerge's reports nest four or five levels; 64 leaves room and keeps recursion shallow.
constexpr int kMaxDepth = 64;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

void AppendUtf8(std::string &out, unsigned code_point)
{
    if (code_point < 0x80) {
        out += static_cast<char>(code_point);
    } else if (code_point < 0x800) {
        out += static_cast<char>(0xC0 | (code_point >> 6));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    } else if (code_point < 0x10000) {
        out += static_cast<char>(0xE0 | (code_point >> 12));
        out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code_point >> 18));
        out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    }
}

} // namespace

JsonValue JsonReader::Parse(std::string_view text)
{
    JsonReader reader(text);
    reader.SkipSpace();
    JsonValue value = reader.ParseValue(0);
    reader.SkipSpace();
    if (reader.m_pos != text.size())
        reader.Fail("text after the document");
    return value;
}

JsonValue JsonReader::ParseValue(int depth)
{
    if (depth > kMaxDepth)
        Fail("nesting too deep");
    switch (Peek()) {
    case '{':
        return ParseObject(depth + 1);
    case '[':
        return ParseArray(depth + 1);
    case '"':
        return JsonValue::MakeString(ParseString());
    case 't':
        ParseLiteral("true");
        return JsonValue::MakeBool(true);
    case 'f':
        ParseLiteral("false");
        return JsonValue::MakeBool(false);
    case 'n':
        ParseLiteral("null");
        return JsonValue::MakeNull();
    default:
        return ParseNumber();
    }
}

JsonValue JsonReader::ParseObject(int depth)
{
    Expect('{');
    std::vector<JsonMember> members;
    SkipSpace();
    if (Peek() == '}') {
        ++m_pos;
        return JsonValue::MakeObject(std::move(members));
    }
    for (;;) {
        SkipSpace();
        if (Peek() != '"')
            Fail("expected a member name");
        std::string name = ParseString();
        SkipSpace();
        Expect(':');
        SkipSpace();
        members.push_back({std::move(name), ParseValue(depth)});
        SkipSpace();
        if (Peek() == ',') {
            ++m_pos;
            continue;
        }
        Expect('}');
        return JsonValue::MakeObject(std::move(members));
    }
}

JsonValue JsonReader::ParseArray(int depth)
{
    Expect('[');
    std::vector<JsonValue> items;
    SkipSpace();
    if (Peek() == ']') {
        ++m_pos;
        return JsonValue::MakeArray(std::move(items));
    }
    for (;;) {
        SkipSpace();
        items.push_back(ParseValue(depth));
        SkipSpace();
        if (Peek() == ',') {
            ++m_pos;
            continue;
        }
        Expect(']');
        return JsonValue::MakeArray(std::move(items));
    }
}

std::string JsonReader::ParseString()
{
    Expect('"');
    std::string out;
    for (;;) {
        if (m_pos >= m_text.size())
            Fail("unterminated string");
        char c = m_text[m_pos++];
        if (c == '"')
            return out;
        if (static_cast<unsigned char>(c) < 0x20)
            Fail("control character in a string");
        if (c != '\\') {
            out += c;
            continue;
        }
        if (m_pos >= m_text.size())
            Fail("unterminated escape");
        char e = m_text[m_pos++];
        switch (e) {
        case '"':
        case '\\':
        case '/':
            out += e;
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'u': {
            unsigned code = ParseHex4();
            if (code >= 0xD800 && code <= 0xDBFF) {
                // A high surrogate must be followed by its low half; alone it is no character.
                if (m_text.substr(m_pos, 2) != "\\u")
                    Fail("lone surrogate");
                m_pos += 2;
                unsigned low = ParseHex4();
                if (low < 0xDC00 || low > 0xDFFF)
                    Fail("bad surrogate pair");
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            } else if (code >= 0xDC00 && code <= 0xDFFF) {
                Fail("lone surrogate");
            }
            AppendUtf8(out, code);
            break;
        }
        default:
            Fail("unknown escape");
        }
    }
}

JsonValue JsonReader::ParseNumber()
{
    const std::size_t start = m_pos;
    auto digits = [&] {
        std::size_t first = m_pos;
        while (m_pos < m_text.size() && IsDigit(m_text[m_pos]))
            ++m_pos;
        return m_pos - first;
    };
    if (Peek() == '-')
        ++m_pos;
    if (Peek() == '0')
        ++m_pos;
    else if (digits() == 0)
        Fail("expected a value");
    if (Peek() == '.') {
        ++m_pos;
        if (digits() == 0)
            Fail("expected digits after the decimal point");
    }
    if (Peek() == 'e' || Peek() == 'E') {
        ++m_pos;
        if (Peek() == '+' || Peek() == '-')
            ++m_pos;
        if (digits() == 0)
            Fail("expected exponent digits");
    }
    return JsonValue::MakeNumber(std::string(m_text.substr(start, m_pos - start)));
}

void JsonReader::ParseLiteral(std::string_view literal)
{
    if (m_text.substr(m_pos, literal.size()) != literal)
        Fail("unknown literal");
    m_pos += literal.size();
}

unsigned JsonReader::ParseHex4()
{
    if (m_text.size() - m_pos < 4)
        Fail("short \\u escape");
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) {
        char c = m_text[m_pos++];
        value <<= 4;
        if (IsDigit(c))
            value |= static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            value |= static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            value |= static_cast<unsigned>(c - 'A' + 10);
        else
            Fail("bad \\u escape");
    }
    return value;
}

void JsonReader::SkipSpace()
{
    while (m_pos < m_text.size()
           && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' || m_text[m_pos] == '\n'
               || m_text[m_pos] == '\r'))
        ++m_pos;
}

char JsonReader::Peek() const
{
    return m_pos < m_text.size() ? m_text[m_pos] : '\0';
}

void JsonReader::Expect(char c)
{
    if (Peek() != c)
        Fail("unexpected character");
    ++m_pos;
}

void JsonReader::Fail(const char *what) const
{
    throw MkvError(MkvFailure::Unreadable,
                   std::string("mkvmerge's report is not valid JSON (") + what + " at byte "
                       + std::to_string(m_pos) + ")");
}

} // namespace mkvextract
