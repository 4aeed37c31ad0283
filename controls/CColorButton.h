// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HoverState.h"
#include <QColor>
#include <QPushButton>

#include <array>

namespace quillet {

/// A flat button whose face shows a colour, with separate face and caption colours for the
/// normal, hovered (or pressed) and focused states.
class CColorButton : public QPushButton
{
    Q_OBJECT

public:
    /// Colour slots of SetColor.
    enum ColorSlot {
        BackgroundActive = 0, ///< face while hovered or pressed
        TextActive = 1, ///< caption while hovered or pressed
        BackgroundNormal = 2,
        TextNormal = 3,
        BackgroundFocus = 4,
        TextFocus = 5,
    };
    /// Result of SetColor for a slot that does not exist.
    static constexpr int kInvalidIndex = 3;

    explicit CColorButton(QWidget *parent = nullptr);
    explicit CColorButton(const QString &text, QWidget *parent = nullptr);

    /// Stores colour in slot index (0 to 5) and repaints at once when asked.
    /// @return 0, or kInvalidIndex for an index outside 0 to 5 (nothing changes then).
    int SetColor(int index, const QColor &color, bool repaint = true);
    /// The colour of a slot; the palette's button colours until one is set.
    QColor Color(int index) const;

    /// Flat buttons (the default) have no frame until hovered.
    void SetFlat(bool flat);
    bool IsFlatButton() const { return m_flat; }
    void SetDrawBorder(bool draw);
    bool DrawsBorder() const { return m_draw_border; }

    void SetTooltipText(const QString &text, bool activate = true);

    bool IsHovering() const { return m_hover.Hovering(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    std::array<QColor, 6> m_colors; // invalid: the palette's colour for the slot
    bool m_flat = true;
    bool m_draw_border = true;
    HoverState m_hover{*this};
};

} // namespace quillet
