// SPDX-License-Identifier: GPL-3.0-or-later
#include "CGradientProgress.h"

#include "KitAccessibility.h"
#include "SystemColors.h"

#include <QAccessible>

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace quillet {

CGradientProgress::CGradientProgress(QWidget *parent)
    : QProgressBar(parent)
{
    // Every pixel is painted, so nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setTextVisible(false);
    InstallKitAccessibility();
}

void CGradientProgress::SetStyleBits(quint32 bits)
{
    m_style_bits = bits;
    update();
}

void CGradientProgress::SetCaptionMode(const QString &text, quint32 bits)
{
    m_style_bits &= ~kCaptionBits;
    if (text.isEmpty() || bits == 0) {
        m_mode_text.clear();
    } else {
        m_style_bits |= bits;
        m_mode_text = text;
    }
    update();
}

void CGradientProgress::SetCaption(const QString &text, bool repaint)
{
    if (text != m_caption) {
        m_caption = text;
        // The caption is the bar's accessible name: a reader announces the new status.
        if (QAccessible::isActive()) {
            QAccessibleEvent changed(this, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&changed);
        }
    }
    if (repaint)
        this->repaint();
}

void CGradientProgress::SetBarColor(const QColor &first, const QColor &second)
{
    m_gradient = {first, second.isValid() ? second : first};
    update();
}

void CGradientProgress::SetGradientColors(const QList<QColor> &colors)
{
    m_gradient = colors;
    update();
}

QList<QColor> CGradientProgress::GradientColors() const
{
    if (!m_gradient.isEmpty())
        return m_gradient;
    const QColor caption = system_color::ActiveCaption(palette());
    return {caption, caption};
}

void CGradientProgress::SetBkColor(const QColor &color)
{
    m_background = color;
    update();
}

QColor CGradientProgress::BkColor() const
{
    return m_background.isValid() ? m_background : system_color::ButtonFace(palette());
}

void CGradientProgress::SetBarTextColor(const QColor &color)
{
    m_bar_text = color;
    update();
}

QColor CGradientProgress::BarTextColor() const
{
    return m_bar_text.isValid() ? m_bar_text : system_color::CaptionText(palette());
}

void CGradientProgress::SetBackgroundTextColor(const QColor &color)
{
    m_background_text = color;
    update();
}

QColor CGradientProgress::BackgroundTextColor() const
{
    return m_background_text.isValid() ? m_background_text : system_color::ButtonText(palette());
}

void CGradientProgress::SetBorder(const QMargins &border)
{
    m_border = border;
    update();
}

QRect CGradientProgress::BarArea() const
{
    return rect().marginsRemoved(m_border);
}

int CGradientProgress::FilledLength() const
{
    const qint64 lower = minimum();
    const qint64 upper = maximum();
    const qint64 position = value();
    if (position < lower || position > upper || upper == lower)
        return 0;
    const QRect bar = BarArea();
    const int length = (m_style_bits & Vertical) ? bar.height() : bar.width();
    // Truncated, so the bar reaches the far edge only at the upper bound.
    return std::max(0, int(double(length) * double(position - lower) / double(upper - lower)));
}

QRect CGradientProgress::SpanRect(const QRect &bar, int from, int to) const
{
    // from/to are offsets along the bar from the edge it grows from.
    const bool vertical = (m_style_bits & Vertical) != 0;
    const bool far_edge = (m_style_bits & FromFarEdge) != 0;
    const int extent = to - from;
    if (!vertical) {
        return far_edge ? QRect(bar.right() + 1 - to, bar.top(), extent, bar.height())
                        : QRect(bar.left() + from, bar.top(), extent, bar.height());
    }
    return far_edge ? QRect(bar.left(), bar.top() + from, bar.width(), extent)
                    : QRect(bar.left(), bar.bottom() + 1 - to, bar.width(), extent);
}

QRect CGradientProgress::FilledRect(const QRect &bar, int length) const
{
    return SpanRect(bar, 0, length);
}

void CGradientProgress::DrawGradient(QPainter &painter, const QRect &bar, int filled) const
{
    const QList<QColor> colors = GradientColors();
    if (filled <= 0)
        return;
    if (colors.size() == 1) {
        // One colour has no segment to spread over; it simply fills the bar.
        painter.fillRect(FilledRect(bar, filled), colors.first());
        return;
    }
    const int length = (m_style_bits & Vertical) ? bar.height() : bar.width();
    const int segments = int(colors.size()) - 1;
    for (int i = 0; i < segments; ++i) {
        const int segment_start = int(qint64(length) * i / segments);
        const int segment_end
            = i == segments - 1 ? length : int(qint64(length) * (i + 1) / segments);
        if (segment_start >= filled)
            break;
        const QColor &from = colors.at(i);
        const QColor &to = colors.at(i + 1);
        const int dr = to.red() - from.red();
        const int dg = to.green() - from.green();
        const int db = to.blue() - from.blue();
        const int segment_length = segment_end - segment_start;
        // One band per colour step, but no band thinner than a pixel.
        int bands = std::max({std::abs(dr), std::abs(dg), std::abs(db)});
        bands = std::max(std::min(bands, segment_length), 1);
        if (depth() < 8)
            bands = 1;
        for (int k = 0; k < bands; ++k) {
            const int band_start = segment_start + segment_length * k / bands;
            const int band_end
                = k == bands - 1 ? segment_end : segment_start + segment_length * (k + 1) / bands;
            if (band_start >= filled)
                break;
            const QColor band(from.red() + dr * k / bands, from.green() + dg * k / bands,
                              from.blue() + db * k / bands);
            painter.fillRect(SpanRect(bar, band_start, std::min(band_end, filled)), band);
        }
        if (segment_end >= filled)
            break;
    }
}

void CGradientProgress::paintEvent(QPaintEvent *)
{
    // The widget's backing store already gives the off-screen buffer that keeps the bar from
    // flickering, so the painting goes straight to it.
    QPainter painter(this);
    painter.fillRect(rect(), BkColor());

    const QRect bar = BarArea();
    const int lower = minimum();
    const int upper = maximum();
    const int position = value();
    if (position < lower || position > upper)
        return;

    const int filled = FilledLength();
    DrawGradient(painter, bar, filled);

    if ((m_style_bits & kCaptionBits) == 0 || m_caption.isEmpty())
        return;
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.setFont(font());
    const QColor on_bar = BarTextColor();
    const QColor off_bar = BackgroundTextColor();
    if (on_bar == off_bar) {
        painter.setPen(on_bar);
        painter.drawText(bar, flags, m_caption);
        return;
    }
    const QRect filled_part = FilledRect(bar, filled);
    if (!filled_part.isEmpty()) {
        painter.save();
        painter.setClipRect(filled_part);
        painter.setPen(on_bar);
        painter.drawText(bar, flags, m_caption);
        painter.restore();
    }
    painter.save();
    painter.setClipRegion(QRegion(rect()).subtracted(filled_part));
    painter.setPen(off_bar);
    painter.drawText(bar, flags, m_caption);
    painter.restore();
}

} // namespace quillet
