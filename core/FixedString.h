// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FixedText.h"

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
    static constexpr std::size_t kCapacity = N;

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

    void assign(std::string_view text) { platform::AssignFixedText(m_text, text); }

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
