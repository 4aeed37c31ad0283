// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/IniDocument.h"

#include "platform/AtomicFile.h"
#include "platform/TextCase.h"
#include "platform/Utf8.h"

#include <algorithm>

namespace quillet::platform {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool HasLineBreak(std::string_view s)
{
    return s.find_first_of("\r\n") != std::string_view::npos;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
// Stands for a unit that is no character (a lone surrogate, a stray byte).
constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(std::string &out, char16_t unit, bool big_endian)
{
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    out += big_endian ? high : low;
    out += big_endian ? low : high;
}

/// UTF-16 bytes (no mark) as UTF-8; an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool big_endian)
{
    std::string out;
    out.reserve(bytes.size());
    const auto unit_at = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(big_endian ? (a << 8 | b) : (b << 8 | a));
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char32_t unit = unit_at(i);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
            const char32_t next = unit_at(i + 2);
            if (next >= 0xDC00 && next < 0xE000) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? kReplacement : unit);
    }
    return out;
}

/// UTF-8 text as UTF-16 bytes (no mark); a byte that starts no valid sequence becomes U+FFFD.
std::string Utf8ToUtf16(std::string_view text, bool big_endian)
{
    std::string out;
    out.reserve(text.size() * 2);
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = Utf8SequenceLength(lead);
        char32_t c = kReplacement;
        std::size_t used = 1;
        if (length > 0 && i + length <= text.size() && IsValidUtf8(text.substr(i, length))) {
            c = length == 1   ? lead
                : length == 2 ? lead & 0x1F
                : length == 3 ? lead & 0x0F
                              : lead & 0x07;
            for (std::size_t k = 1; k < length; ++k)
                c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
            used = length;
        }
        i += used;
        if (c >= 0x10000) {
            c -= 0x10000;
            AppendUtf16(out, static_cast<char16_t>(0xD800 + (c >> 10)), big_endian);
            AppendUtf16(out, static_cast<char16_t>(0xDC00 + (c & 0x3FF)), big_endian);
        } else {
            AppendUtf16(out, static_cast<char16_t>(c), big_endian);
        }
    }
    return out;
}

} // namespace

bool IniDocument::Load(const std::filesystem::path &path, std::string *error)
{
    std::string bytes;
    const ReadStatus status = ReadTextFile(path, bytes, error);
    Parse(status == ReadStatus::Ok ? std::string_view(bytes) : std::string_view());
    return status == ReadStatus::Ok || status == ReadStatus::Missing;
}

void IniDocument::Parse(std::string_view bytes)
{
    m_lines.clear();
    m_eol = "\n";
    m_final_eol = true;
    m_encoding = Encoding::Plain;

    std::string decoded;
    std::string_view text = bytes;
    if (text.starts_with(kUtf8Mark)) {
        m_encoding = Encoding::Utf8WithMark;
        text.remove_prefix(kUtf8Mark.size());
    } else if (text.starts_with(kUtf16LeMark) || text.starts_with(kUtf16BeMark)) {
        m_encoding = text.starts_with(kUtf16LeMark) ? Encoding::Utf16Le : Encoding::Utf16Be;
        decoded = Utf16ToUtf8(text.substr(2), m_encoding == Encoding::Utf16Be);
        text = decoded;
    }
    if (text.empty())
        return;

    // The first line ending decides how the file is written back.
    const auto first = text.find_first_of("\r\n");
    if (first != std::string_view::npos && text[first] == '\r')
        m_eol = first + 1 < text.size() && text[first + 1] == '\n' ? "\r\n" : "\r";
    m_final_eol = text.back() == '\n' || text.back() == '\r';

    // A line ends at CR LF, LF or a lone CR.
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            m_lines.push_back({std::string(text.substr(start))});
            break;
        }
        m_lines.push_back({std::string(text.substr(start, end - start))});
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
}

IniDocument::Parsed IniDocument::ParseLine(std::string_view line)
{
    Parsed parsed;
    std::string_view t = Trim(line);
    if (t.empty() || t.front() == ';')
        return parsed;
    if (t.front() == '[') {
        auto close = t.find(']');
        if (close != std::string_view::npos) {
            parsed.kind = Kind::Section;
            parsed.name = Trim(t.substr(1, close - 1));
        }
        return parsed;
    }
    auto eq = t.find('=');
    if (eq == std::string_view::npos)
        return parsed;
    parsed.kind = Kind::Key;
    parsed.name = Trim(t.substr(0, eq));
    parsed.value = Trim(t.substr(eq + 1));
    return parsed;
}

long IniDocument::FindSection(std::string_view name) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        Parsed p = ParseLine(m_lines[i].text);
        if (p.kind == Kind::Section && EqualsIgnoringCase(p.name, name))
            return static_cast<long>(i);
    }
    return -1;
}

std::optional<std::string> IniDocument::Value(std::string_view section, std::string_view key) const
{
    long header = FindSection(section);
    if (header < 0)
        return std::nullopt;
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < m_lines.size(); ++i) {
        Parsed p = ParseLine(m_lines[i].text);
        if (p.kind == Kind::Section)
            break;
        if (p.kind != Kind::Key || !EqualsIgnoringCase(p.name, key))
            continue;
        std::string_view v = p.value;
        // One pair of matching surrounding quotes is removed, as the classic functions do.
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        return std::string(v);
    }
    return std::nullopt;
}

std::vector<std::string> IniDocument::SectionNames() const
{
    std::vector<std::string> names;
    for (const auto &line : m_lines) {
        Parsed p = ParseLine(line.text);
        // An empty header "[]" names nothing: listed, it would end a NUL-separated list early
        // and hide every section after it.
        if (p.kind != Kind::Section || p.name.empty())
            continue;
        // A repeated header adds nothing readable (lookups stop at the first one).
        bool seen = std::any_of(names.begin(), names.end(), [&](const std::string &n) {
            return EqualsIgnoringCase(n, p.name);
        });
        if (!seen)
            names.emplace_back(p.name);
    }
    return names;
}

namespace {

/// The text to store so that reading gives value back: reading trims blanks and removes one pair
/// of surrounding quotes, so a value that would lose either is stored inside one more pair.
std::string StoredForm(std::string_view value)
{
    bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front();
    bool padded = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
    if (quoted || padded)
        return "\"" + std::string(value) + "\"";
    return std::string(value);
}

} // namespace

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value_in)
{
    const std::string value = StoredForm(value_in);
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || key.empty() || HasLineBreak(section) || HasLineBreak(key)
        || HasLineBreak(value_in) || section.find(']') != std::string_view::npos
        || key.find('=') != std::string_view::npos)
        return false;

    long header = FindSection(section);
    if (header < 0) {
        m_lines.push_back({"[" + std::string(section) + "]"});
        m_lines.push_back({std::string(key) + "=" + value});
        return true;
    }

    std::size_t insert_at = static_cast<std::size_t>(header) + 1;
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < m_lines.size(); ++i) {
        Parsed p = ParseLine(m_lines[i].text);
        if (p.kind == Kind::Section)
            break;
        if (p.kind != Kind::Key)
            continue;
        if (EqualsIgnoringCase(p.name, key)) {
            // Keep the line's own indentation and spelling of the name.
            const std::string &text = m_lines[i].text;
            std::string prefix = text.substr(0, text.find('=') + 1);
            m_lines[i].text = prefix + value;
            return true;
        }
        insert_at = i + 1;
    }
    m_lines.insert(m_lines.begin() + static_cast<long>(insert_at),
                   Line{std::string(key) + "=" + value});
    return true;
}

std::string IniDocument::Serialize() const
{
    std::string out;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        out += m_lines[i].text;
        if (i + 1 < m_lines.size() || m_final_eol)
            out += m_eol;
    }
    switch (m_encoding) {
    case Encoding::Plain:
        return out;
    case Encoding::Utf8WithMark:
        return std::string(kUtf8Mark) + out;
    case Encoding::Utf16Le:
        return std::string(kUtf16LeMark) + Utf8ToUtf16(out, false);
    case Encoding::Utf16Be:
        return std::string(kUtf16BeMark) + Utf8ToUtf16(out, true);
    }
    return out;
}

bool IniDocument::Save(const std::filesystem::path &path, std::string *error) const
{
    return ReplaceFileAtomically(path, Serialize(), error);
}

} // namespace quillet::platform
