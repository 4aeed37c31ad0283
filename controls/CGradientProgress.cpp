// SPDX-License-Identifier: GPL-3.0-or-later
#include "CGradientProgress.h"

#include "SystemColors.h"

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
}

void CGradientProgress::SetStyleBits(quint32 bits)
{
    m_styleBits = bits;
    update();
}

void CGradientProgress::SetCaptionMode(const QString &text, quint32 bits)
{
    m_styleBits &= ~kCaptionBits;
    if (text.isEmpty() || bits == 0) {
        m_modeText.clear();
    } else {
        m_styleBits |= bits;
        m_modeText = text;
    }
    update();
}

void CGradientProgress::SetCaption(const QString &text, bool repaint)
{
    m_caption = text;
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

QList<QColor> CGradientProgress::gradientColors() const
{
    if (!m_gradient.isEmpty())
        return m_gradient;
    const QColor caption = SystemColor::ActiveCaption(palette());
    return {caption, caption};
}

void CGradientProgress::SetBkColor(const QColor &color)
{
    m_background = color;
    update();
}

QColor CGradientProgress::bkColor() const
{
    return m_background.isValid() ? m_background : SystemColor::ButtonFace(palette());
}

void CGradientProgress::SetBarTextColor(const QColor &color)
{
    m_barText = color;
    update();
}

QColor CGradientProgress::barTextColor() const
{
    return m_barText.isValid() ? m_barText : SystemColor::CaptionText(palette());
}

void CGradientProgress::SetBackgroundTextColor(const QColor &color)
{
    m_backgroundText = color;
    update();
}

QColor CGradientProgress::backgroundTextColor() const
{
    return m_backgroundText.isValid() ? m_backgroundText : SystemColor::ButtonText(palette());
}

void CGradientProgress::SetBorder(const QMargins &border)
{
    m_border = border;
    update();
}

QRect CGradientProgress::barArea() const
{
    return rect().marginsRemoved(m_border);
}

int CGradientProgress::filledLength() const
{
    const qint64 lower = minimum();
    const qint64 upper = maximum();
    const qint64 position = value();
    if (position < lower || position > upper || upper == lower)
        return 0;
    const QRect bar = barArea();
    const int length = (m_styleBits & Vertical) ? bar.height() : bar.width();
    // Truncated, so the bar reaches the far edge only at the upper bound.
    return std::max(0, int(double(length) * double(position - lower) / double(upper - lower)));
}

QRect CGradientProgress::spanRect(const QRect &bar, int from, int to) const
{
    // from/to are offsets along the bar from the edge it grows from.
    const bool vertical = (m_styleBits & Vertical) != 0;
    const bool farEdge = (m_styleBits & FromFarEdge) != 0;
    const int extent = to - from;
    if (!vertical) {
        return farEdge ? QRect(bar.right() + 1 - to, bar.top(), extent, bar.height())
                       : QRect(bar.left() + from, bar.top(), extent, bar.height());
    }
    return farEdge ? QRect(bar.left(), bar.top() + from, bar.width(), extent)
                   : QRect(bar.left(), bar.bottom() + 1 - to, bar.width(), extent);
}

QRect CGradientProgress::filledRect(const QRect &bar, int length) const
{
    return spanRect(bar, 0, length);
}

void CGradientProgress::drawGradient(QPainter &painter, const QRect &bar, int filled) const
{
    const QList<QColor> colors = gradientColors();
    if (filled <= 0)
        return;
    if (colors.size() == 1) {
        // One colour has no segment to spread over; it simply fills the bar.
        painter.fillRect(filledRect(bar, filled), colors.first());
        return;
    }
    const int length = (m_styleBits & Vertical) ? bar.height() : bar.width();
    const int segments = int(colors.size()) - 1;
    for (int i = 0; i < segments; ++i) {
        const int segmentStart = int(qint64(length) * i / segments);
        const int segmentEnd
            = i == segments - 1 ? length : int(qint64(length) * (i + 1) / segments);
        if (segmentStart >= filled)
            break;
        const QColor &from = colors.at(i);
        const QColor &to = colors.at(i + 1);
        const int dr = to.red() - from.red();
        const int dg = to.green() - from.green();
        const int db = to.blue() - from.blue();
        const int segmentLength = segmentEnd - segmentStart;
        // One band per colour step, but no band thinner than a pixel.
        int bands = std::max({std::abs(dr), std::abs(dg), std::abs(db)});
        bands = std::max(std::min(bands, segmentLength), 1);
        if (depth() < 8)
            bands = 1;
        for (int k = 0; k < bands; ++k) {
            const int bandStart = segmentStart + segmentLength * k / bands;
            const int bandEnd
                = k == bands - 1 ? segmentEnd : segmentStart + segmentLength * (k + 1) / bands;
            if (bandStart >= filled)
                break;
            const QColor band(from.red() + dr * k / bands, from.green() + dg * k / bands,
                              from.blue() + db * k / bands);
            painter.fillRect(spanRect(bar, bandStart, std::min(bandEnd, filled)), band);
        }
        if (segmentEnd >= filled)
            break;
    }
}

void CGradientProgress::paintEvent(QPaintEvent *)
{
    // The widget's backing store already gives the off-screen buffer that keeps the bar from
    // flickering, so the painting goes straight to it.
    QPainter painter(this);
    painter.fillRect(rect(), bkColor());

    const QRect bar = barArea();
    const int lower = minimum();
    const int upper = maximum();
    const int position = value();
    if (position < lower || position > upper)
        return;

    const int filled = filledLength();
    drawGradient(painter, bar, filled);

    if ((m_styleBits & kCaptionBits) == 0 || m_caption.isEmpty())
        return;
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.setFont(font());
    const QColor onBar = barTextColor();
    const QColor offBar = backgroundTextColor();
    if (onBar == offBar) {
        painter.setPen(onBar);
        painter.drawText(bar, flags, m_caption);
        return;
    }
    const QRect filledPart = filledRect(bar, filled);
    if (!filledPart.isEmpty()) {
        painter.save();
        painter.setClipRect(filledPart);
        painter.setPen(onBar);
        painter.drawText(bar, flags, m_caption);
        painter.restore();
    }
    painter.save();
    painter.setClipRegion(QRegion(rect()).subtracted(filledPart));
    painter.setPen(offBar);
    painter.drawText(bar, flags, m_caption);
    painter.restore();
}

} // namespace quillet
