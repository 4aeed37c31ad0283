// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

class QWidget;

/**
 * The look every dialog of the program shares, kept in one place: the dialog font (Verdana where
 * it is installed, else DejaVu Sans, whose letters are as wide), the light blue background and
 * labels drawn transparent in a muted blue. The windows, the control kit, the skin library and
 * the subtitle style library all take it from here, so a dialog opened by a library looks like
 * the program's own and a change of colour reaches every window at once.
 */
namespace quillet {

/// The dialogs' background, RGB(217, 234, 255).
inline constexpr QRgb kDialogBackgroundRgb = qRgb(217, 234, 255);
/// Labels on that background, RGB(93, 121, 161).
inline constexpr QRgb kLabelTextRgb = qRgb(93, 121, 161);

inline QColor DialogBackground()
{
    return QColor(kDialogBackgroundRgb);
}
inline QColor LabelText()
{
    return QColor(kLabelTextRgb);
}

/// Verdana where it is installed, else DejaVu Sans.
QString DialogFontFamily();
/// The dialog font: DialogFontFamily() at 8 points.
QFont DialogFont();

/// The program's colours whatever the desktop's scheme: the style's own light palette with the
/// dialogs' background and black text. The skin is light, so dark scheme colours would put light
/// text on it (the option sheet's tabs) and dark fields and menus into light windows.
QPalette DialogPalette();
/// Makes DialogPalette every window's palette: the program's windows, menus, message boxes and
/// file dialogs.
void UseDialogPalette();

/// A dialog in the shared look: the dialog font, the background filled, labels in the blue.
void ApplyDialogLook(QWidget *dialog);
/// A label drawn as the dialogs draw theirs: transparent, in the blue.
void ApplyLabelLook(QWidget *label);

} // namespace quillet
