// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonReader.h"

#include "MkvError.h"

#include <string>
#include <vector>

namespace mkvextract {

namespace {

// mkvmerge's reports nest four or five levels; 64 leaves room and keeps recursion shallow.
constexpr int kMaxDepth = 64;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

void appendUtf8(std::string &out, unsigned code_point)
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

JsonValue JsonReader::parse(std::string_view text)
{
    JsonReader reader(text);
    reader.skipSpace();
    JsonValue value = reader.parseValue(0);
    reader.skipSpace();
    if (reader.m_pos != text.size())
        reader.fail("text after the document");
    return value;
}

JsonValue JsonReader::parseValue(int depth)
{
    if (depth > kMaxDepth)
        fail("nesting too deep");
    switch (peek()) {
    case '{':
        return parseObject(depth + 1);
    case '[':
        return parseArray(depth + 1);
    case '"':
        return JsonValue::makeString(parseString());
    case 't':
        parseLiteral("true");
        return JsonValue::makeBool(true);
    case 'f':
        parseLiteral("false");
        return JsonValue::makeBool(false);
    case 'n':
        parseLiteral("null");
        return JsonValue::makeNull();
    default:
        return parseNumber();
    }
}

JsonValue JsonReader::parseObject(int depth)
{
    expect('{');
    std::vector<JsonMember> members;
    skipSpace();
    if (peek() == '}') {
        ++m_pos;
        return JsonValue::makeObject(std::move(members));
    }
    for (;;) {
        skipSpace();
        if (peek() != '"')
            fail("expected a member name");
        std::string name = parseString();
        skipSpace();
        expect(':');
        skipSpace();
        members.push_back({std::move(name), parseValue(depth)});
        skipSpace();
        if (peek() == ',') {
            ++m_pos;
            continue;
        }
        expect('}');
        return JsonValue::makeObject(std::move(members));
    }
}

JsonValue JsonReader::parseArray(int depth)
{
    expect('[');
    std::vector<JsonValue> items;
    skipSpace();
    if (peek() == ']') {
        ++m_pos;
        return JsonValue::makeArray(std::move(items));
    }
    for (;;) {
        skipSpace();
        items.push_back(parseValue(depth));
        skipSpace();
        if (peek() == ',') {
            ++m_pos;
            continue;
        }
        expect(']');
        return JsonValue::makeArray(std::move(items));
    }
}

std::string JsonReader::parseString()
{
    expect('"');
    std::string out;
    for (;;) {
        if (m_pos >= m_text.size())
            fail("unterminated string");
        char c = m_text[m_pos++];
        if (c == '"')
            return out;
        if (static_cast<unsigned char>(c) < 0x20)
            fail("control character in a string");
        if (c != '\\') {
            out += c;
            continue;
        }
        if (m_pos >= m_text.size())
            fail("unterminated escape");
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
            unsigned code = parseHex4();
            if (code >= 0xD800 && code <= 0xDBFF) {
                // A high surrogate must be followed by its low half; alone it is no character.
                if (m_text.substr(m_pos, 2) != "\\u")
                    fail("lone surrogate");
                m_pos += 2;
                unsigned low = parseHex4();
                if (low < 0xDC00 || low > 0xDFFF)
                    fail("bad surrogate pair");
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            } else if (code >= 0xDC00 && code <= 0xDFFF) {
                fail("lone surrogate");
            }
            appendUtf8(out, code);
            break;
        }
        default:
            fail("unknown escape");
        }
    }
}

JsonValue JsonReader::parseNumber()
{
    const std::size_t start = m_pos;
    auto digits = [&] {
        std::size_t first = m_pos;
        while (m_pos < m_text.size() && isDigit(m_text[m_pos]))
            ++m_pos;
        return m_pos - first;
    };
    if (peek() == '-')
        ++m_pos;
    if (peek() == '0')
        ++m_pos;
    else if (digits() == 0)
        fail("expected a value");
    if (peek() == '.') {
        ++m_pos;
        if (digits() == 0)
            fail("expected digits after the decimal point");
    }
    if (peek() == 'e' || peek() == 'E') {
        ++m_pos;
        if (peek() == '+' || peek() == '-')
            ++m_pos;
        if (digits() == 0)
            fail("expected exponent digits");
    }
    return JsonValue::makeNumber(std::string(m_text.substr(start, m_pos - start)));
}

void JsonReader::parseLiteral(std::string_view literal)
{
    if (m_text.substr(m_pos, literal.size()) != literal)
        fail("unknown literal");
    m_pos += literal.size();
}

unsigned JsonReader::parseHex4()
{
    if (m_text.size() - m_pos < 4)
        fail("short \\u escape");
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) {
        char c = m_text[m_pos++];
        value <<= 4;
        if (isDigit(c))
            value |= static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            value |= static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            value |= static_cast<unsigned>(c - 'A' + 10);
        else
            fail("bad \\u escape");
    }
    return value;
}

void JsonReader::skipSpace()
{
    while (m_pos < m_text.size()
           && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' || m_text[m_pos] == '\n'
               || m_text[m_pos] == '\r'))
        ++m_pos;
}

char JsonReader::peek() const
{
    return m_pos < m_text.size() ? m_text[m_pos] : '\0';
}

void JsonReader::expect(char c)
{
    if (peek() != c)
        fail("unexpected character");
    ++m_pos;
}

void JsonReader::fail(const char *what) const
{
    throw MkvError(MkvFailure::Unreadable,
                   std::string("mkvmerge's report is not valid JSON (") + what + " at byte "
                       + std::to_string(m_pos) + ")");
}

} // namespace mkvextract
