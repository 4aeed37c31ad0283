// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPalette>

/// The desktop colours the controls are drawn with, named by their role on a button or a list
/// and taken from the widget's palette, so a skin or a theme that changes the palette changes
/// the controls with it.
namespace quillet::system_color {

inline QColor ButtonFace(const QPalette &p)
{
    return p.color(QPalette::Active, QPalette::Button);
}
inline QColor ButtonText(const QPalette &p)
{
    return p.color(QPalette::Active, QPalette::ButtonText);
}
inline QColor GrayText(const QPalette &p)
{
    return p.color(QPalette::Disabled, QPalette::WindowText);
}
/// The light edge of raised 3-D shapes (also the embossed part of disabled captions).
inline QColor Highlight3D(const QPalette &p)
{
    return p.color(QPalette::Active, QPalette::Light);
}
inline QColor Light3D(const QPalette &p)
{
    return p.color(QPalette::Active, QPalette::Midlight);
}
inline QColor Shadow3D(const QPalette &p)
{
    return p.color(QPalette::Active, QPalette::Dark);
}
inline QColor DarkShadow3D(const QPalette &p)
{
    return p.color(QPalette::Active, QPalette::Shadow);
}
inline QColor Window(const QPalette &p)
{
    return p.color(QPalette::Active, QPalette::Base);
}
inline QColor WindowText(const QPalette &p)
{
    return p.color(QPalette::Active, QPalette::Text);
}
/// Selection background.
inline QColor Highlight(const QPalette &p)
{
    return p.color(QPalette::Active, QPalette::Highlight);
}
/// Title-bar colours have no palette role; the selection colours play that part.
inline QColor ActiveCaption(const QPalette &p)
{
    return Highlight(p);
}
inline QColor CaptionText(const QPalette &p)
{
    return p.color(QPalette::Active, QPalette::HighlightedText);
}

} // namespace quillet::system_color
