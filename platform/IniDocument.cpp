// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/IniDocument.h"

#include "platform/AtomicFile.h"
#include "platform/TextCase.h"

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

} // namespace

bool IniDocument::Load(const std::filesystem::path &path)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        Parse({});
        return !ec;
    }
    std::string text;
    if (!ReadWholeFile(path, text)) {
        Parse({});
        return false;
    }
    Parse(text);
    return true;
}

void IniDocument::Parse(std::string_view text)
{
    m_lines.clear();
    m_eol = "\n";
    m_final_eol = true;
    if (text.empty())
        return;

    // The first line ending decides how the file is written back.
    auto first_lf = text.find('\n');
    if (first_lf != std::string_view::npos && first_lf > 0 && text[first_lf - 1] == '\r')
        m_eol = "\r\n";
    m_final_eol = text.back() == '\n';

    std::size_t start = 0;
    while (start < text.size()) {
        auto lf = text.find('\n', start);
        std::string_view line = text.substr(
            start, lf == std::string_view::npos ? std::string_view::npos : lf - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_lines.push_back({std::string(line)});
        if (lf == std::string_view::npos)
            break;
        start = lf + 1;
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
        if (p.kind != Kind::Section)
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
    return out;
}

bool IniDocument::Save(const std::filesystem::path &path, std::string *error) const
{
    return ReplaceFileAtomically(path, Serialize(), error);
}

} // namespace quillet::platform
