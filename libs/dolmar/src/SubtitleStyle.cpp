// SPDX-License-Identifier: GPL-3.0-or-later
#include "SubtitleStyle.h"

#include "platform/BaseDirectories.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <strings.h>
#include <system_error>

namespace dolmar {

namespace {

enum class FieldType { Text, Colour, Number, Flag };

// A saved style is a few hundred bytes.
constexpr std::uintmax_t kMaxStyleBytes = std::uintmax_t{1024} * 1024;

struct StyleField
{
    std::string_view name;
    FieldType type;
};

constexpr std::array kFields{
    StyleField{"Fontname", FieldType::Text},
    StyleField{"Fontsize", FieldType::Number},
    StyleField{"PrimaryColour", FieldType::Colour},
    StyleField{"SecondaryColour", FieldType::Colour},
    StyleField{"OutlineColour", FieldType::Colour},
    StyleField{"BackColour", FieldType::Colour},
    StyleField{"Bold", FieldType::Flag},
    StyleField{"Italic", FieldType::Flag},
    StyleField{"Underline", FieldType::Flag},
    StyleField{"BorderStyle", FieldType::Number},
    StyleField{"Outline", FieldType::Number},
    StyleField{"Shadow", FieldType::Number},
    StyleField{"Alignment", FieldType::Number},
    StyleField{"MarginL", FieldType::Number},
    StyleField{"MarginR", FieldType::Number},
    StyleField{"MarginV", FieldType::Number},
};

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool IsNumber(std::string_view text)
{
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    bool digits = false;
    bool point = false;
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)))
            digits = true;
        else if (c == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

bool IsColour(std::string_view text)
{
    // &HAABBGGRR (libass also takes &HBBGGRR and a trailing &), or a decimal number.
    if (text.size() > 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h')) {
        text.remove_prefix(2);
        if (!text.empty() && text.back() == '&')
            text.remove_suffix(1);
        return !text.empty() && text.size() <= 8
            && std::all_of(text.begin(), text.end(),
                           [](unsigned char c) { return std::isxdigit(c); });
    }
    return IsNumber(text) && text.find('.') == std::string_view::npos;
}

/// The value as force_style can carry it, or "" when the field cannot take it.
std::string Sanitised(const StyleField &field, std::string_view value)
{
    switch (field.type) {
    case FieldType::Text: {
        // force_style separates fields with "," and keys from values with "="; a font name
        // holding either could rewrite other fields.
        std::string text;
        for (char c : value)
            if (c != ',' && c != '=' && c != '\n' && c != '\r')
                text += c;
        return std::string(Trim(text));
    }
    case FieldType::Colour:
        return IsColour(value) ? std::string(value) : std::string();
    case FieldType::Number:
        return IsNumber(value) ? std::string(value) : std::string();
    case FieldType::Flag:
        if (value == "0" || value == "1" || value == "-1")
            return std::string(value);
        return {};
    }
    return {};
}

} // namespace

std::filesystem::path SubtitleStyle::Location()
{
    if (const char *explicit_path = std::getenv("QUILLET_SUBTITLE_STYLE");
        explicit_path && *explicit_path)
        return explicit_path;
    // The base directory rules: no style of the user's own without a usable home.
    const std::optional<std::string> config = quillet::platform::ConfigHome();
    if (!config)
        return {};
    return std::filesystem::path(*config) / "quillet" / "subtitle-style.ini";
}

std::string SubtitleStyle::ForceStyle()
{
    const std::filesystem::path path = Location();
    if (path.empty())
        return {};
    // Only a file of a style's size is read: a name that points at a device or a pipe would
    // never end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return {};
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxStyleBytes)
        return {};
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    return ForceStyleFrom(text);
}

std::string SubtitleStyle::ForceStyleFrom(std::string_view ini_text)
{
    std::array<std::string, kFields.size()> values;
    bool in_style = false;
    bool seen_style = false;
    std::istringstream lines{std::string(ini_text)};
    std::string raw;
    while (std::getline(lines, raw)) {
        std::string_view line = Trim(raw);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            const std::string_view section = Trim(line.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            // Windows INI rules: names match without case, and the first section wins.
            in_style = !seen_style && section.size() == 5
                && strncasecmp(section.data(), "Style", 5) == 0;
            seen_style = seen_style || in_style;
            continue;
        }
        if (!in_style)
            continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = Trim(line.substr(0, equals));
        std::string_view value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        for (std::size_t i = 0; i < kFields.size(); ++i) {
            const StyleField &field = kFields[i];
            if (key.size() == field.name.size()
                && strncasecmp(key.data(), field.name.data(), key.size()) == 0) {
                if (values[i].empty()) // first key wins, as the INI reader does
                    values[i] = Sanitised(field, value);
                break;
            }
        }
    }
    std::string style;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        if (values[i].empty())
            continue;
        if (!style.empty())
            style += ',';
        style += kFields[i].name;
        style += '=';
        style += values[i];
    }
    return style;
}

} // namespace dolmar
