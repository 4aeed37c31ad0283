// SPDX-License-Identifier: GPL-3.0-or-later
#include "CSkinButton.h"

#include "MaskRegion.h"
#include "SkinResources.h"
#include "SystemColors.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>

#include <algorithm>

namespace quillet {

CSkinButton::CSkinButton(QWidget *parent)
    : CSkinButton(QString(), parent)
{ }

CSkinButton::CSkinButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    // Hover is tracked from plain moves as well as from entering, so the face follows the
    // pointer again after a press without waiting for it to leave and come back.
    setMouseTracking(true);
}

void CSkinButton::SetKind(SkinButtonKind kind)
{
    m_kind = kind;
    setCheckable(kind != SkinButtonKind::Push);
    if (kind == SkinButtonKind::Push)
        setChecked(false);
    update();
}

void CSkinButton::SetImages(const SkinImageSet &set)
{
    SetImages(set.normal, set.pressed, set.hover, set.disabled, set.focus, set.mask, set.drawMode,
              set.edge, set.textInset);
}

void CSkinButton::SetImages(int normal, int pressed, int hover, int disabled, int focus, int mask,
                            int drawMode, int edge, int textInset)
{
    // The caption font needs no copying from the parent: Qt hands the parent's font down.
    const auto load = [](int id) { return id != 0 ? SkinResources::bitmap(id) : QPixmap(); };
    m_normal = load(normal);
    m_pressed = load(pressed);
    m_hover = load(hover);
    m_focus = load(focus);
    m_disabled = disabled != 0 ? load(disabled) : load(normal);

    m_drawMode = drawMode > 1 ? SkinDrawMode::Tile
        : drawMode < 0        ? SkinDrawMode::Natural
                              : static_cast<SkinDrawMode>(drawMode);
    m_edge = edge;
    m_textInset = std::max(textInset, 0);

    m_mask = QPixmap();
    m_maskAlpha = QImage();
    if (mask != 0) {
        m_mask = load(mask);
        if (!m_mask.isNull()) {
            m_maskAlpha = AlphaFromMask(m_mask.toImage());
            m_regionSource = SkinResources::bitmapImage(mask);
            if (m_drawMode == SkinDrawMode::Natural) {
                resize(m_regionSource.size());
                updateGeometry();
            }
            updateShape();
        }
    }
    update();
}

QColor CSkinButton::SetTextColor(const QColor &color)
{
    const QColor previous = textColor();
    m_textColor = color;
    update();
    return previous;
}

QColor CSkinButton::textColor() const
{
    return m_textColor.isValid() ? m_textColor : SystemColor::ButtonText(palette());
}

void CSkinButton::SetTooltipText(const QString &text)
{
    setToolTip(text);
}

void CSkinButton::SetLeadingPicture(int id, const QColor &keyColor)
{
    m_leading = QPixmap();
    if (id != 0) {
        QPixmap picture = SkinResources::bitmap(id);
        if (!picture.isNull()) {
            picture.setMask(picture.createMaskFromColor(keyColor, Qt::MaskInColor));
            m_leading = picture;
        }
    }
    update();
}

void CSkinButton::SetCheck(bool checked)
{
    if (m_kind == SkinButtonKind::Push) {
        update();
        return;
    }
    setChecked(checked);
    if (checked && m_kind == SkinButtonKind::Radio) {
        const QList<CSkinButton *> members = groupMembers();
        for (CSkinButton *other : members) {
            if (other != this)
                other->uncheckFromGroup();
        }
    }
    update();
}

bool CSkinButton::GetCheck() const
{
    return m_kind != SkinButtonKind::Push && isChecked();
}

void CSkinButton::SetGroupStart(bool start)
{
    setProperty(kGroupStartProperty, start);
}

void CSkinButton::uncheckFromGroup()
{
    if (isChecked()) {
        setChecked(false);
        update();
    }
}

QList<CSkinButton *> CSkinButton::groupMembers() const
{
    const QWidget *parent = parentWidget();
    if (!parent)
        return {};
    QList<QWidget *> siblings;
    for (QObject *child : parent->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (widget && !widget->isWindow())
            siblings.append(widget);
    }
    const auto self = siblings.indexOf(const_cast<CSkinButton *>(this));
    if (self < 0)
        return {};
    auto first = self;
    while (first > 0 && !siblings.at(first)->property(kGroupStartProperty).toBool())
        --first;
    auto end = self + 1;
    while (end < siblings.size() && !siblings.at(end)->property(kGroupStartProperty).toBool())
        ++end;
    QList<CSkinButton *> members;
    for (auto i = first; i < end; ++i) {
        if (auto *button = qobject_cast<CSkinButton *>(siblings.at(i)))
            members.append(button);
    }
    return members;
}

void CSkinButton::updateShape()
{
    if (m_regionSource.isNull())
        return;
    // A stretched face is shaped by the stretched mask, so the part that takes clicks is the
    // part that shows; the other modes use the mask as it is.
    QImage source = m_regionSource;
    if (m_drawMode == SkinDrawMode::Stretch && !size().isEmpty() && size() != source.size())
        source = source.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    setMask(RegionFromMask(source));
}

QSize CSkinButton::sizeHint() const
{
    if (m_drawMode == SkinDrawMode::Natural && !m_regionSource.isNull())
        return m_regionSource.size();
    return QPushButton::sizeHint();
}

QSize CSkinButton::minimumSizeHint() const
{
    if (m_drawMode == SkinDrawMode::Natural && !m_regionSource.isNull())
        return m_regionSource.size();
    return QPushButton::minimumSizeHint();
}

void CSkinButton::resizeEvent(QResizeEvent *event)
{
    QPushButton::resizeEvent(event);
    if (m_drawMode == SkinDrawMode::Stretch)
        updateShape();
}

bool CSkinButton::hitButton(const QPoint &pos) const
{
    const QRegion shape = mask();
    return shape.isEmpty() ? rect().contains(pos) : shape.contains(pos);
}

void CSkinButton::nextCheckState()
{
    switch (m_kind) {
    case SkinButtonKind::CheckBox:
        SetCheck(!GetCheck());
        break;
    case SkinButtonKind::Radio:
        SetCheck(true);
        break;
    case SkinButtonKind::Push:
        break;
    }
}

void CSkinButton::enterEvent(QEnterEvent *event)
{
    if (!m_trackingPress && !m_hovering) {
        m_hovering = true;
        update();
    }
    QPushButton::enterEvent(event);
}

void CSkinButton::leaveEvent(QEvent *event)
{
    if (m_hovering) {
        m_hovering = false;
        update();
    }
    QPushButton::leaveEvent(event);
}

void CSkinButton::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_trackingPress && !m_hovering && hitButton(event->position().toPoint())) {
        m_hovering = true;
        update();
    }
    // While a press is tracked, the base class shows the button pushed only while the pointer
    // is over it.
    QPushButton::mouseMoveEvent(event);
}

void CSkinButton::mousePressEvent(QMouseEvent *event)
{
    // A double click arrives here too (the default double-click handler forwards to the press
    // handler), so two quick clicks report two clicks.
    if (event->button() == Qt::LeftButton && m_hovering) {
        m_hovering = false;
        update();
    }
    QPushButton::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && isDown())
        m_trackingPress = true;
}

void CSkinButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_trackingPress = false;
    QPushButton::mouseReleaseEvent(event);
}

void CSkinButton::focusOutEvent(QFocusEvent *event)
{
    m_trackingPress = false;
    QPushButton::focusOutEvent(event);
}

void CSkinButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect item = rect();
    const QPalette &pal = palette();
    const int leadingWidth
        = m_leading.isNull() ? 0 : qRound(m_leading.deviceIndependentSize().width());
    QRect textRect = item.adjusted(m_textInset + 2 + leadingWidth, 0, -(m_textInset + 2), 0);

    if (!isEnabled()) {
        drawFace(painter, m_disabled);
        drawLeadingPicture(painter);
        if (m_edge != 0)
            qDrawWinButton(&painter, item, pal, false);
        // Embossed: a light copy underneath, the grey caption one pixel up and left of it.
        drawCaption(painter, textRect, SystemColor::Highlight3D(pal));
        drawCaption(painter, textRect.translated(-1, -1), SystemColor::GrayText(pal));
        return;
    }

    if (isDown() || GetCheck()) {
        drawFace(painter, m_pressed);
        drawLeadingPicture(painter);
        textRect.translate(1, 1);
        if (m_edge != 0)
            qDrawWinButton(&painter, item, pal, true);
    } else {
        const QPixmap *face = &m_normal;
        if (!m_normal.isNull()) {
            if (m_hovering && !m_hover.isNull())
                face = &m_hover;
            else if (hasFocus() && !m_focus.isNull())
                face = &m_focus;
        }
        drawFace(painter, *face);
        drawLeadingPicture(painter);
        if (m_edge != 0)
            qDrawWinButton(&painter, item, pal, false);
    }

    if (hasFocus() && m_textInset > 0) {
        QStyleOptionFocusRect focusOption;
        focusOption.initFrom(this);
        focusOption.rect = item.adjusted(m_textInset, m_textInset, -m_textInset, -m_textInset);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focusOption, &painter, this);
    }
    drawCaption(painter, textRect, textColor());
}

void CSkinButton::drawFace(QPainter &painter, const QPixmap &face) const
{
    const QRect item = rect();
    if (face.isNull()) {
        painter.fillRect(item, SystemColor::ButtonFace(palette()));
        return;
    }
    if (m_drawMode == SkinDrawMode::Tile) {
        painter.drawTiledPixmap(item, face);
        return;
    }
    const QSize target
        = m_drawMode == SkinDrawMode::Stretch ? item.size() : face.deviceIndependentSize().toSize();
    const QRect area(QPoint(0, 0), target);
    if (m_maskAlpha.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(area, face);
        return;
    }
    painter.drawImage(area, maskedFace(face, target, devicePixelRatioF()));
}

QImage CSkinButton::maskedFace(const QPixmap &face, const QSize &target, qreal dpr) const
{
    // The face shows where the mask is dark and the window behind shows where it is white; the
    // result is built at device resolution so dense screens get the @2x pictures' detail.
    const QSize device = (QSizeF(target) * dpr).toSize();
    QImage canvas(device, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(QRect(QPoint(0, 0), device), face, face.rect());

    const QRect maskArea(QPoint(0, 0),
                         m_drawMode == SkinDrawMode::Stretch
                             ? device
                             : (m_mask.deviceIndependentSize() * dpr).toSize());
    p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    p.drawImage(maskArea, m_maskAlpha);
    // Outside a smaller natural-size mask nothing belongs to the button.
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    for (const QRect &rest : QRegion(canvas.rect()).subtracted(maskArea))
        p.fillRect(rest, Qt::transparent);
    p.end();
    canvas.setDevicePixelRatio(dpr);
    return canvas;
}

void CSkinButton::drawLeadingPicture(QPainter &painter) const
{
    if (m_leading.isNull())
        return;
    const int pictureHeight = qRound(m_leading.deviceIndependentSize().height());
    painter.drawPixmap(QPoint(5, (height() - pictureHeight) / 2), m_leading);
}

void CSkinButton::drawCaption(QPainter &painter, const QRect &textRect, const QColor &color) const
{
    const bool underline = style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this) != 0;
    painter.setPen(color);
    painter.setFont(font());
    painter.drawText(textRect,
                     Qt::AlignCenter | Qt::TextSingleLine
                         | (underline ? Qt::TextShowMnemonic : Qt::TextHideMnemonic),
                     text());
}

} // namespace quillet
