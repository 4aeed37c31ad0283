// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "subtitles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

/**
 * The style library's model: one subtitle style as the dialog edits it, its 172-byte record form
 * (what crosses the C boundary) and its [Style] form (what the engine reads back). The window
 * (StyleDialog) shows it, the style file (StyleFile) stores it, the preview (PreviewRenderer)
 * draws it through the engine's own burn-in.
 */
namespace subtitles {

/// 0xAARRGGBB, AA the opacity (0xFF opaque).
using Argb = uint32_t;

struct StyleSettings
{
    std::string font_name;
    int font_size = 16;
    bool bold = false;
    bool italic = false;
    Argb primary = 0xFFFFFFFF;
    Argb outline = 0xFF000000;
    Argb shadow = 0xFF000000;
    double outline_width = 1;
    double shadow_distance = 0;
    int alignment = 2; ///< numeric keypad: 1 bottom left .. 9 top right
    int margin_left = 10;
    int margin_right = 10;
    int margin_vertical = 10;

    friend bool operator==(const StyleSettings &, const StyleSettings &) = default;
};

/// Limits of the fields; the dialog's controls and the record check use the same.
inline constexpr int kMinFontSize = 1;
inline constexpr int kMaxFontSize = 400;
inline constexpr double kMaxLineWidth = 20; ///< outline width and shadow distance
inline constexpr int kMaxMargin = 1000;
/// Longest font name the record holds, in bytes, without its terminator.
inline constexpr std::size_t kMaxFontNameBytes = sizeof(StSubtitleStyle::font_name) - 1;

/**
 * The style text subtitles get when nothing is saved: the engine hands libass FFmpeg's default
 * script for them (Arial 16 in a 288-line script, white letters, a black outline of 1, no
 * shadow, bottom centre, margins of 10). font_name is the family Arial resolves to here.
 */
StyleSettings DefaultStyle(std::string font_name);

/// Fills record from settings (magic set, reserved bytes zero); false when a field is out of
/// range or the font name does not fit, record then untouched.
bool ToRecord(const StyleSettings &settings, StSubtitleStyle &record);
/// The settings of a record the dialog filled; nothing for any other record.
std::optional<StyleSettings> FromRecord(const StSubtitleStyle &record);

/**
 * The [Style] keys and values that store settings, named as the ASS style fields the engine
 * reads. Secondary colour follows the primary one: karaoke is not styled here.
 *
 * Alignment is written in the SSA numbering (1-3 bottom, 5-7 top, 9-11 middle), not in the
 * keypad numbering of ASS scripts: the engine hands the field to libass as the subtitles filter's
 * force_style, and libass reads force_style's Alignment in the SSA numbering.
 */
std::vector<std::pair<std::string, std::string>> StyleFields(const StyleSettings &settings);

/**
 * Settings from a force_style text ("Fontname=DejaVu Sans,Fontsize=24,..."), as the engine
 * derives it from the saved file: each field the text holds replaces the one of base.
 */
StyleSettings FromForceStyle(std::string_view force_style, StyleSettings base);

/// The SSA alignment (force_style's numbering) of a keypad alignment 1 to 9.
int SsaAlignment(int numpad);
/// The keypad alignment of an SSA alignment; nothing for a value SSA does not have.
std::optional<int> NumpadAlignment(int ssa);

/// "&HAABBGGRR" with AA the transparency, as ASS writes colours.
std::string AssColour(Argb colour);
/// An ASS colour ("&HBBGGRR", "&HAABBGGRR", a trailing '&', or a decimal number) as Argb.
std::optional<Argb> ParseAssColour(std::string_view text);

} // namespace subtitles
