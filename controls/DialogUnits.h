// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DialogLook.h"

#include <QFont>
#include <QRect>

namespace quillet {

/// Converts dialog-layout units to pixels through the dialog font, so every window places its
/// controls at the same template positions and they scale with the font: a horizontal unit is
/// a quarter of the font's average letter width, a vertical unit an eighth of its height.
class DialogUnits
{
public:
    /// Units of the given font (by default the dialogs' font).
    explicit DialogUnits(const QFont &font = DialogFont());

    /// Average width of the 52 letters A-Z a-z, rounded, in pixels.
    int BaseX() const { return m_base_x; }
    /// Height of the font in pixels.
    int BaseY() const { return m_base_y; }

    /// Horizontal dialog units to pixels (rounded to nearest).
    int X(int units) const;
    /// Vertical dialog units to pixels (rounded to nearest).
    int Y(int units) const;
    /// A template rectangle (left, top, width, height in dialog units) in pixels. Each value is
    /// converted on its own, as dialog templates are.
    QRect Rect(int left, int top, int width, int height) const;
    QRect Rect(const QRect &units) const;

private:
    int m_base_x;
    int m_base_y;
};

} // namespace quillet
