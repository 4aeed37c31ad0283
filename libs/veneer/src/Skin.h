// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>

#include <string_view>

namespace quillet::veneer {

/// One skin: how registered windows and their controls look.
struct Skin
{
    const char *name;
    QColor background; ///< the windows' background
    QColor band_top; ///< top colour of the light band the background fades in from
    int band_height; ///< pixels over which the band fades into the background
    QColor label_text; ///< static labels (transparent background)
    QColor frame; ///< lines of plain group frames
    int font_point_size;
};

/// The skin of that name, or null.
const Skin *FindSkin(std::string_view name);

/// What Nolo_InitSkin chose.
struct SkinChoice
{
    const Skin *skin = nullptr;
    bool windows = false; ///< paint the windows' background
    bool controls = false; ///< colour labels and frames, give controls the skin font
};

SkinChoice &CurrentSkin();

/// The skin's dialog font: the dialogs' family (DialogFontFamily) at the skin's size.
QFont SkinFont(const Skin &skin);

} // namespace quillet::veneer
