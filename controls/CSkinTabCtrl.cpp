// SPDX-License-Identifier: GPL-3.0-or-later
#include "CSkinTabCtrl.h"

#include "SystemColors.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace quillet {

namespace {

constexpr int kGradientBandHeight = 2;
constexpr int kTextMargin = 3;
constexpr int kIconAdvance = 19;
constexpr int kMaxTabText = 99;
constexpr double kLighten = 1.4;
constexpr double kDarken = 0.9;
constexpr double kGradientEnd = 0.7;
constexpr double kTextShade = 0.5;

} // namespace

quint32 CSkinTabCtrl::s_tab_style_flags = 0;

void CSkinTabCtrl::SetTabStyleFlags(bool enable, quint32 flags)
{
    s_tab_style_flags = enable ? flags : 0;
}

quint32 CSkinTabCtrl::TabStyleFlags()
{
    return s_tab_style_flags;
}

QColor CSkinTabCtrl::ScaleColor(const QColor &color, double factor)
{
    const auto scale
        = [factor](int component) { return std::min(255, static_cast<int>(component * factor)); };
    return QColor(scale(color.red()), scale(color.green()), scale(color.blue()));
}

CSkinTabCtrl::CSkinTabCtrl(QWidget *parent)
    : QTabBar(parent)
    , m_owner_drawn(s_tab_style_flags != 0)
{
    setDrawBase(false);
    // Lets the strip narrow tabs that do not fit; their text is then cut with an ellipsis.
    setElideMode(Qt::ElideRight);
}

void CSkinTabCtrl::SetBackgroundColor(const QColor &color)
{
    m_background = color;
    update();
}

QColor CSkinTabCtrl::StoredOrFace() const
{
    return m_background.isValid() ? m_background : system_color::ButtonFace(palette());
}

QColor CSkinTabCtrl::BaseColor() const
{
    if ((s_tab_style_flags & DeriveFromBackground) && m_background.isValid())
        return m_background;
    return system_color::ButtonFace(palette());
}

QColor CSkinTabCtrl::FaceColor(bool selected) const
{
    if (selected) {
        return (s_tab_style_flags & LightenSelected) ? ScaleColor(BaseColor(), kLighten)
                                                     : system_color::ButtonFace(palette());
    }
    if ((s_tab_style_flags & UnselectedUseBackground) && !(s_tab_style_flags & DarkenUnselected))
        return StoredOrFace();
    return ScaleColor(BaseColor(), kDarken);
}

QColor CSkinTabCtrl::BottomColor(bool selected) const
{
    return selected ? system_color::ButtonFace(palette()) : ScaleColor(BaseColor(), kGradientEnd);
}

QColor CSkinTabCtrl::TextColor(bool selected) const
{
    if (selected)
        return system_color::WindowText(palette());
    const bool from_stored = (s_tab_style_flags & (UnselectedUseBackground | DeriveFromBackground))
        && m_background.isValid();
    return ScaleColor(from_stored ? m_background : system_color::ButtonFace(palette()), kTextShade);
}

QRect CSkinTabCtrl::ItemRect(int index) const
{
    // Unselected tabs sit two pixels lower than the selected one and reach two pixels further
    // down, so the selected tab stands out above its neighbours.
    const QRect tab = tabRect(index);
    return index == currentIndex() ? tab.adjusted(0, 0, 0, -1) : tab.adjusted(0, 2, 0, 2);
}

QRect CSkinTabCtrl::TextArea(int index) const
{
    const bool selected = index == currentIndex();
    QRect area
        = ItemRect(index).adjusted(kTextMargin, kTextMargin + (selected ? 1 : 0), -kTextMargin, 0);
    if (!tabIcon(index).isNull())
        area.setLeft(area.left() + kIconAdvance);
    return area;
}

QString CSkinTabCtrl::DisplayedText(int index) const
{
    const QString text = tabText(index).left(kMaxTabText);
    return fontMetrics().elidedText(text, Qt::ElideRight, std::max(0, TextArea(index).width()));
}

void CSkinTabCtrl::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    // The strip round the tabs takes the background colour.
    painter.fillRect(rect(), StoredOrFace());
    if (!m_owner_drawn) {
        painter.end();
        QTabBar::paintEvent(event);
        return;
    }
    // The selected tab last, so it overlaps its neighbours.
    for (int i = 0; i < count(); ++i) {
        if (i != currentIndex())
            DrawTab(painter, i);
    }
    if (currentIndex() >= 0)
        DrawTab(painter, currentIndex());
}

void CSkinTabCtrl::DrawTab(QPainter &painter, int index) const
{
    const bool selected = index == currentIndex();
    const QRect item = ItemRect(index);
    const QColor face = FaceColor(selected);

    if ((s_tab_style_flags & Gradient) && depth() >= 16) {
        const QColor bottom = BottomColor(selected);
        const int bands
            = std::max(1, (item.height() + kGradientBandHeight - 1) / kGradientBandHeight);
        const int steps = std::max(1, bands - 1);
        for (int k = 0; k < bands; ++k) {
            const QColor band(face.red() + (bottom.red() - face.red()) * k / steps,
                              face.green() + (bottom.green() - face.green()) * k / steps,
                              face.blue() + (bottom.blue() - face.blue()) * k / steps);
            const int top = item.top() + k * kGradientBandHeight;
            const int height = std::min(kGradientBandHeight, item.bottom() + 1 - top);
            painter.fillRect(QRect(item.left(), top, item.width(), height), band);
        }
    } else {
        painter.fillRect(item, face);
    }

    QRect area = TextArea(index);
    const QIcon icon = tabIcon(index);
    if (!icon.isNull()) {
        const QSize size = iconSize();
        const QPoint at(area.left() - kIconAdvance, area.top());
        icon.paint(&painter, QRect(at, size), Qt::AlignLeft | Qt::AlignTop);
    }
    painter.setPen(TextColor(selected));
    painter.setFont(font());
    painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                     DisplayedText(index));
    if (selected && hasFocus()) {
        // The arrow keys move between the tabs: the strip shows it has them.
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = item.adjusted(3, 2, -3, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

} // namespace quillet
