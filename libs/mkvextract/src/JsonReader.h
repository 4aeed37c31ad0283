// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "JsonValue.h"

#include <cstddef>
#include <string_view>

namespace mkvextract {

/// A strict JSON reader for the identification reports of mkvmerge. It accepts RFC 8259 text
/// only, decodes \u escapes (surrogate pairs included) to UTF-8, and refuses documents nested
/// deeper than a fixed limit so a hostile report cannot exhaust the stack of the caller's
/// user-interface thread. Any fault throws MkvError(Unreadable).
class JsonReader
{
public:
    static JsonValue Parse(std::string_view text);

private:
    explicit JsonReader(std::string_view text)
        : m_text(text)
    { }

    JsonValue ParseValue(int depth);
    JsonValue ParseObject(int depth);
    JsonValue ParseArray(int depth);
    std::string ParseString();
    JsonValue ParseNumber();
    void ParseLiteral(std::string_view literal);
    unsigned ParseHex4();
    void SkipSpace();
    char Peek() const;
    void Expect(char c);
    [[noreturn]] void Fail(const char *what) const;

    std::string_view m_text;
    std::size_t m_pos = 0;
};

} // namespace mkvextract
