// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace quillet {

/// How a skinned button lays its face images into its rectangle.
enum class SkinDrawMode {
    Natural = 0, ///< drawn at their own size; the button takes the mask's size
    Stretch = 1, ///< stretched to the button
    Tile = 2, ///< repeated from the top-left corner; the mask shapes the button only
};

/// The bitmaps and layout values of one skinned button look; bitmap numbers, 0 for none.
struct SkinImageSet
{
    int normal = 0;
    int pressed = 0;
    int hover = 0;
    int disabled = 0;
    int focus = 0;
    int mask = 0;
    int draw_mode = 1;
    int edge = 0;
    int text_inset = 0;
};

/// Every captioned push button of the dialogs.
inline constexpr SkinImageSet kDialogTextButtonSet{269, 267, 266, 269, 0, 268, 1, 0, 0};
/// The main window's round check-for-update button.
inline constexpr SkinImageSet kUpdateButtonSet{256, 254, 253, 0, 0, 255, 0, 0, 0};
/// The main window's round settings button.
inline constexpr SkinImageSet kSettingsButtonSet{260, 258, 257, 0, 0, 259, 0, 0, 0};
/// Caption colour of the dialog text buttons, 0x00BBGGRR: a dark red.
inline constexpr quint32 kDialogButtonTextColorRef = 0x00007D;

/// Leading pictures of the main window's buttons.
inline constexpr int kLeadingAdd = 272;
inline constexpr int kLeadingConverting = 273;
inline constexpr int kLeadingConvert = 274;
inline constexpr int kLeadingOptions = 277;
/// Colour of the leading pictures that is drawn transparent (magenta), 0x00BBGGRR.
inline constexpr quint32 kLeadingKeyColorRef = 0xFF00FF;

} // namespace quillet
