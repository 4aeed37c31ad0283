// SPDX-License-Identifier: GPL-3.0-or-later
#include "StyleSettings.h"

#include "platform/NumberText.h"
#include "platform/TextCase.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace subtitles {

namespace {

bool InRange(double value, double low, double high)
{
    return std::isfinite(value) && value >= low && value <= high;
}

bool Valid(const StyleSettings &s)
{
    return !s.font_name.empty() && s.font_name.size() <= kMaxFontNameBytes
        && s.font_name.find_first_of(",=\r\n") == std::string::npos
        && InRange(s.font_size, kMinFontSize, kMaxFontSize)
        && InRange(s.outline_width, 0, kMaxLineWidth)
        && InRange(s.shadow_distance, 0, kMaxLineWidth) && InRange(s.alignment, 1, 9)
        && InRange(s.margin_left, 0, kMaxMargin) && InRange(s.margin_right, 0, kMaxMargin)
        && InRange(s.margin_vertical, 0, kMaxMargin);
}

/// Widths with at most two decimals, '.' whatever the locale ("1.5", "2").
std::string Width(double value)
{
    std::string text = quillet::platform::FormatFixed(value, 2);
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    return text;
}

std::optional<int> ParseInt(std::string_view text)
{
    const double value = quillet::platform::ParseLeadingDouble(text);
    if (!std::isfinite(value) || std::abs(value) > 1e6)
        return std::nullopt;
    return static_cast<int>(std::lround(value));
}

} // namespace

int SsaAlignment(int numpad)
{
    if (numpad >= 7)
        return numpad - 2; // top: 5, 6, 7
    if (numpad >= 4)
        return numpad + 5; // middle: 9, 10, 11
    return numpad; // bottom: 1, 2, 3
}

std::optional<int> NumpadAlignment(int ssa)
{
    const int horizontal = ssa & 3;
    if (horizontal == 0 || (ssa & ~15) != 0 || (ssa & 12) == 12)
        return std::nullopt;
    if (ssa & 4)
        return 6 + horizontal;
    if (ssa & 8)
        return 3 + horizontal;
    return horizontal;
}

StyleSettings DefaultStyle(std::string font_name)
{
    StyleSettings settings;
    settings.font_name = std::move(font_name);
    return settings;
}

bool ToRecord(const StyleSettings &settings, StSubtitleStyle &record)
{
    if (!Valid(settings))
        return false;
    StSubtitleStyle filled{};
    filled.magic = ST_STYLE_MAGIC;
    std::memcpy(filled.font_name, settings.font_name.data(), settings.font_name.size());
    filled.font_size = settings.font_size;
    filled.bold = settings.bold ? 1 : 0;
    filled.italic = settings.italic ? 1 : 0;
    filled.primary_colour = settings.primary;
    filled.outline_colour = settings.outline;
    filled.shadow_colour = settings.shadow;
    filled.outline_width = static_cast<float>(settings.outline_width);
    filled.shadow_distance = static_cast<float>(settings.shadow_distance);
    filled.alignment = settings.alignment;
    filled.margin_left = settings.margin_left;
    filled.margin_right = settings.margin_right;
    filled.margin_vertical = settings.margin_vertical;
    record = filled;
    return true;
}

std::optional<StyleSettings> FromRecord(const StSubtitleStyle &record)
{
    if (record.magic != ST_STYLE_MAGIC || (record.bold != 0 && record.bold != 1)
        || (record.italic != 0 && record.italic != 1))
        return std::nullopt;
    // The name must end inside its field: a record from elsewhere may hold no terminator.
    const std::size_t length = strnlen(record.font_name, sizeof record.font_name);
    if (length == sizeof record.font_name)
        return std::nullopt;
    StyleSettings settings;
    settings.font_name.assign(record.font_name, length);
    settings.font_size = record.font_size;
    settings.bold = record.bold == 1;
    settings.italic = record.italic == 1;
    settings.primary = record.primary_colour;
    settings.outline = record.outline_colour;
    settings.shadow = record.shadow_colour;
    settings.outline_width = record.outline_width;
    settings.shadow_distance = record.shadow_distance;
    settings.alignment = record.alignment;
    settings.margin_left = record.margin_left;
    settings.margin_right = record.margin_right;
    settings.margin_vertical = record.margin_vertical;
    if (!Valid(settings))
        return std::nullopt;
    return settings;
}

std::vector<std::pair<std::string, std::string>> StyleFields(const StyleSettings &s)
{
    // BorderStyle 1 is an outline with a drop shadow, the look the dialog edits; a box style
    // written into the file by hand would give the outline colour another meaning.
    return {
        {"Fontname", s.font_name},
        {"Fontsize", std::to_string(s.font_size)},
        {"PrimaryColour", AssColour(s.primary)},
        {"SecondaryColour", AssColour(s.primary)},
        {"OutlineColour", AssColour(s.outline)},
        {"BackColour", AssColour(s.shadow)},
        {"Bold", s.bold ? "-1" : "0"},
        {"Italic", s.italic ? "-1" : "0"},
        {"BorderStyle", "1"},
        {"Outline", Width(s.outline_width)},
        {"Shadow", Width(s.shadow_distance)},
        {"Alignment", std::to_string(SsaAlignment(s.alignment))},
        {"MarginL", std::to_string(s.margin_left)},
        {"MarginR", std::to_string(s.margin_right)},
        {"MarginV", std::to_string(s.margin_vertical)},
    };
}

StyleSettings FromForceStyle(std::string_view force_style, StyleSettings base)
{
    using quillet::platform::EqualsIgnoringCase;
    StyleSettings s = std::move(base);
    while (!force_style.empty()) {
        const auto comma = force_style.find(',');
        const std::string_view field = force_style.substr(0, comma);
        force_style
            = comma == std::string_view::npos ? std::string_view() : force_style.substr(comma + 1);
        const auto equals = field.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = field.substr(0, equals);
        const std::string_view value = field.substr(equals + 1);
        auto number = [&](auto &target, double low, double high) {
            const double parsed = quillet::platform::ParseLeadingDouble(value);
            if (InRange(parsed, low, high))
                target = static_cast<std::remove_reference_t<decltype(target)>>(parsed);
        };
        auto integer = [&](int &target, int low, int high) {
            if (auto parsed = ParseInt(value); parsed && *parsed >= low && *parsed <= high)
                target = *parsed;
        };
        auto colour = [&](Argb &target) {
            if (auto parsed = ParseAssColour(value))
                target = *parsed;
        };
        if (EqualsIgnoringCase(key, "Fontname") && !value.empty()
            && value.size() <= kMaxFontNameBytes)
            s.font_name = std::string(value);
        else if (EqualsIgnoringCase(key, "Fontsize"))
            integer(s.font_size, kMinFontSize, kMaxFontSize);
        else if (EqualsIgnoringCase(key, "PrimaryColour"))
            colour(s.primary);
        else if (EqualsIgnoringCase(key, "OutlineColour"))
            colour(s.outline);
        else if (EqualsIgnoringCase(key, "BackColour"))
            colour(s.shadow);
        else if (EqualsIgnoringCase(key, "Bold"))
            s.bold = value != "0";
        else if (EqualsIgnoringCase(key, "Italic"))
            s.italic = value != "0";
        else if (EqualsIgnoringCase(key, "Outline"))
            number(s.outline_width, 0, kMaxLineWidth);
        else if (EqualsIgnoringCase(key, "Shadow"))
            number(s.shadow_distance, 0, kMaxLineWidth);
        else if (EqualsIgnoringCase(key, "Alignment")) {
            if (auto ssa = ParseInt(value))
                if (auto numpad = NumpadAlignment(*ssa))
                    s.alignment = *numpad;
        } else if (EqualsIgnoringCase(key, "MarginL"))
            integer(s.margin_left, 0, kMaxMargin);
        else if (EqualsIgnoringCase(key, "MarginR"))
            integer(s.margin_right, 0, kMaxMargin);
        else if (EqualsIgnoringCase(key, "MarginV"))
            integer(s.margin_vertical, 0, kMaxMargin);
    }
    return s;
}

std::string AssColour(Argb colour)
{
    const unsigned opacity = colour >> 24;
    char text[16];
    std::snprintf(text, sizeof text, "&H%02X%02X%02X%02X", 0xFFu - opacity, colour & 0xFFu,
                  (colour >> 8) & 0xFFu, (colour >> 16) & 0xFFu);
    return text;
}

std::optional<Argb> ParseAssColour(std::string_view text)
{
    uint32_t abgr = 0; // transparency, blue, green, red: the order ASS writes them in
    if (text.size() > 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h')) {
        text.remove_prefix(2);
        if (!text.empty() && text.back() == '&')
            text.remove_suffix(1);
        if (text.empty() || text.size() > 8)
            return std::nullopt;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), abgr, 16);
        if (ec != std::errc() || end != text.data() + text.size())
            return std::nullopt;
    } else {
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), abgr, 10);
        if (text.empty() || ec != std::errc() || end != text.data() + text.size())
            return std::nullopt;
    }
    const Argb opacity = 0xFFu - (abgr >> 24);
    const Argb red = abgr & 0xFFu;
    const Argb green = (abgr >> 8) & 0xFFu;
    const Argb blue = (abgr >> 16) & 0xFFu;
    return (opacity << 24) | (red << 16) | (green << 8) | blue;
}

} // namespace subtitles
