// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace quillet {

/**
 * A text field of a flat record: N bytes of storage, at most N - 1 bytes of text and a NUL.
 * Assignment cuts the text to fit (at a UTF-8 character boundary, so a cut never leaves half a
 * character) and nothing can ever be written past the field. Trivially copyable, so records
 * holding it are copied whole by value.
 */
template<std::size_t N> class FixedString
{
    static_assert(N >= 1);

public:
    static constexpr std::size_t capacity = N;

    FixedString() = default;
    FixedString(std::string_view text) { assign(text); }
    FixedString(const char *text) { assign(text ? std::string_view(text) : std::string_view()); }
    FixedString(const std::string &text) { assign(text); }

    FixedString &operator=(std::string_view text)
    {
        assign(text);
        return *this;
    }
    FixedString &operator=(const char *text)
    {
        assign(text ? std::string_view(text) : std::string_view());
        return *this;
    }
    FixedString &operator=(const std::string &text)
    {
        assign(text);
        return *this;
    }

    void assign(std::string_view text)
    {
        // Text after an embedded NUL would be invisible to every reader of the field.
        text = text.substr(0, std::min(text.size(), text.find('\0')));
        std::size_t n = std::min(text.size(), N - 1);
        if (n < text.size()) {
            // Back off over UTF-8 continuation bytes so the cut falls between characters.
            while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
                --n;
        }
        std::memcpy(m_text, text.data(), n);
        std::memset(m_text + n, 0, N - n);
    }

    const char *c_str() const { return m_text; }
    std::string_view view() const { return {m_text, size()}; }
    std::string str() const { return std::string(view()); }
    std::size_t size() const { return strnlen(m_text, N); }
    bool empty() const { return m_text[0] == '\0'; }
    operator std::string_view() const { return view(); }

    friend bool operator==(const FixedString &a, const FixedString &b)
    {
        return a.view() == b.view();
    }
    friend bool operator==(const FixedString &a, std::string_view b) { return a.view() == b; }

private:
    char m_text[N] = {};
};

} // namespace quillet
