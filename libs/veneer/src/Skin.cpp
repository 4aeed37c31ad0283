// SPDX-License-Identifier: GPL-3.0-or-later
#include "Skin.h"

#include "DialogLook.h"

namespace quillet::veneer {

namespace {

// The program's skin: the dialogs' light blue with a whiter band behind the banner, labels in
// the muted blue the windows use for them, frames a shade darker than the background.
const Skin kSkins[] = {
    {"tesk_skin", QColor(kDialogBackgroundRgb), QColor(246, 250, 255), 64, QColor(kLabelTextRgb),
     QColor(150, 178, 214), 8},
};

} // namespace

const Skin *FindSkin(std::string_view name)
{
    for (const Skin &skin : kSkins)
        if (name == skin.name)
            return &skin;
    return nullptr;
}

SkinChoice &CurrentSkin()
{
    static SkinChoice choice;
    return choice;
}

QFont SkinFont(const Skin &skin)
{
    QFont font(DialogFontFamily());
    font.setPointSize(skin.font_point_size);
    return font;
}

} // namespace quillet::veneer
