// SPDX-License-Identifier: GPL-3.0-or-later
#include "CColorButton.h"

#include "SystemColors.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace quillet {

CColorButton::CColorButton(QWidget *parent)
    : CColorButton(QString(), parent)
{ }

CColorButton::CColorButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{ }

int CColorButton::SetColor(int index, const QColor &color, bool repaint)
{
    if (index < 0 || index >= int(m_colors.size()))
        return kInvalidIndex;
    m_colors[size_t(index)] = color;
    if (repaint)
        this->repaint();
    return 0;
}

QColor CColorButton::Color(int index) const
{
    if (index < 0 || index >= int(m_colors.size()))
        return {};
    const QColor &stored = m_colors[size_t(index)];
    if (stored.isValid())
        return stored;
    // Even slots are faces, odd slots captions.
    return index % 2 == 0 ? system_color::ButtonFace(palette())
                          : system_color::ButtonText(palette());
}

void CColorButton::SetFlat(bool flat)
{
    m_flat = flat;
    update();
}

void CColorButton::SetDrawBorder(bool draw)
{
    m_draw_border = draw;
    update();
}

void CColorButton::SetTooltipText(const QString &text, bool activate)
{
    setToolTip(activate ? text : QString());
}

void CColorButton::enterEvent(QEnterEvent *event)
{
    // Only flat buttons light up, and not while the left button is held from a press that
    // started elsewhere.
    if (m_flat && !(QApplication::mouseButtons() & Qt::LeftButton))
        m_hover.Set(true);
    QPushButton::enterEvent(event);
}

void CColorButton::leaveEvent(QEvent *event)
{
    m_hover.Set(false);
    QPushButton::leaveEvent(event);
}

void CColorButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &pal = palette();
    const bool pressed = isDown();
    const bool focused = hasFocus();
    const bool disabled = !isEnabled();
    QRect face = rect();

    if (!m_flat && (focused || isDefault())) {
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(face.adjusted(0, 0, -1, -1));
        face.adjust(1, 1, -1, -1);
    }

    const int background_slot = (m_hover.Hovering() || pressed) ? BackgroundActive
        : focused                                               ? BackgroundFocus
                                                                : BackgroundNormal;
    painter.fillRect(face, Color(background_slot));

    const QColor highlight = system_color::Highlight3D(pal);
    const QColor light = system_color::Light3D(pal);
    const QColor shadow = system_color::Shadow3D(pal);
    const QColor dark_shadow = system_color::DarkShadow3D(pal);
    const int l = face.left(), t = face.top(), r = face.right(), b = face.bottom();
    const auto line = [&painter](const QColor &c, int x1, int y1, int x2, int y2) {
        painter.setPen(c);
        painter.drawLine(x1, y1, x2, y2);
    };
    if (pressed) {
        if (m_flat) {
            if (m_draw_border) {
                line(shadow, l, t, r, t);
                line(shadow, l, t, l, b);
                line(highlight, l, b, r, b);
                line(highlight, r, t, r, b);
            }
        } else {
            painter.setPen(shadow);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(face.adjusted(0, 0, -1, -1));
        }
    } else if (!m_flat) {
        line(highlight, l, t, r, t);
        line(highlight, l, t, l, b);
        line(light, l + 1, t + 1, r - 1, t + 1);
        line(light, l + 1, t + 1, l + 1, b - 1);
        line(dark_shadow, l, b, r, b);
        line(dark_shadow, r, t, r, b);
        line(shadow, l + 1, b - 1, r - 1, b - 1);
        line(shadow, r - 1, t + 1, r - 1, b - 1);
    } else if (m_hover.Hovering() && m_draw_border) {
        line(highlight, l, t, r, t);
        line(highlight, l, t, l, b);
        line(shadow, l, b, r, b);
        line(shadow, r, t, r, b);
    }

    QRect text_rect = face;
    if (pressed)
        text_rect.translate(1, 1);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    painter.setFont(font());
    if (disabled) {
        painter.setPen(highlight);
        painter.drawText(text_rect.translated(1, 1), flags, text());
        painter.setPen(shadow);
        painter.drawText(text_rect, flags, text());
    } else {
        painter.setPen(Color((m_hover.Hovering() || pressed) ? TextActive : TextNormal));
        painter.drawText(text_rect, flags, text());
    }

    if (focused && !m_flat) {
        QStyleOptionFocusRect focus_option;
        focus_option.initFrom(this);
        focus_option.rect = face.adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus_option, &painter, this);
    }
}

} // namespace quillet
