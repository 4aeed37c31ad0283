// SPDX-License-Identifier: GPL-3.0-or-later
#include "CSkinButton.h"

#include "KitAccessibility.h"
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
    InstallKitAccessibility();
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
    SetImages(set.normal, set.pressed, set.hover, set.disabled, set.focus, set.mask, set.draw_mode,
              set.edge, set.text_inset);
}

void CSkinButton::SetImages(int normal, int pressed, int hover, int disabled, int focus, int mask,
                            int draw_mode, int edge, int text_inset)
{
    // The caption font needs no copying from the parent: Qt hands the parent's font down.
    const auto load = [](int id) { return id != 0 ? SkinResources::Bitmap(id) : QPixmap(); };
    m_normal = load(normal);
    m_pressed = load(pressed);
    m_hover = load(hover);
    m_focus = load(focus);
    m_disabled = disabled != 0 ? load(disabled) : load(normal);

    m_draw_mode = draw_mode > 1 ? SkinDrawMode::Tile
        : draw_mode < 0         ? SkinDrawMode::Natural
                                : static_cast<SkinDrawMode>(draw_mode);
    m_edge = edge;
    m_text_inset = std::max(text_inset, 0);

    m_mask = QPixmap();
    m_mask_alpha = QImage();
    if (mask != 0) {
        m_mask = load(mask);
        if (!m_mask.isNull()) {
            m_mask_alpha = AlphaFromMask(m_mask.toImage());
            m_region_source = SkinResources::BitmapImage(mask);
            if (m_draw_mode == SkinDrawMode::Natural) {
                resize(m_region_source.size());
                updateGeometry();
            }
            UpdateShape();
        }
    }
    update();
}

QColor CSkinButton::SetTextColor(const QColor &color)
{
    const QColor previous = TextColor();
    m_text_color = color;
    update();
    return previous;
}

QColor CSkinButton::TextColor() const
{
    return m_text_color.isValid() ? m_text_color : system_color::ButtonText(palette());
}

void CSkinButton::SetTooltipText(const QString &text)
{
    setToolTip(text);
}

void CSkinButton::SetLeadingPicture(int id, const QColor &key_color)
{
    m_leading = QPixmap();
    m_leading_greyed = QPixmap();
    if (id != 0) {
        QPixmap picture = SkinResources::Bitmap(id);
        if (!picture.isNull()) {
            picture.setMask(picture.createMaskFromColor(key_color, Qt::MaskInColor));
            m_leading = picture;
            m_leading_greyed = Greyed(picture);
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
        const QList<CSkinButton *> members = GroupMembers();
        for (CSkinButton *other : members) {
            if (other != this)
                other->UncheckFromGroup();
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

void CSkinButton::UncheckFromGroup()
{
    if (isChecked()) {
        setChecked(false);
        update();
    }
}

QList<CSkinButton *> CSkinButton::GroupMembers() const
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

void CSkinButton::UpdateShape()
{
    if (m_region_source.isNull())
        return;
    // A stretched face is shaped by the stretched mask, so the part that takes clicks is the
    // part that shows; the other modes use the mask as it is.
    QImage source = m_region_source;
    if (m_draw_mode == SkinDrawMode::Stretch && !size().isEmpty() && size() != source.size())
        source = source.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    setMask(RegionFromMask(source));
}

QSize CSkinButton::sizeHint() const
{
    if (m_draw_mode == SkinDrawMode::Natural && !m_region_source.isNull())
        return m_region_source.size();
    return QPushButton::sizeHint();
}

QSize CSkinButton::minimumSizeHint() const
{
    if (m_draw_mode == SkinDrawMode::Natural && !m_region_source.isNull())
        return m_region_source.size();
    return QPushButton::minimumSizeHint();
}

void CSkinButton::resizeEvent(QResizeEvent *event)
{
    QPushButton::resizeEvent(event);
    if (m_draw_mode == SkinDrawMode::Stretch)
        UpdateShape();
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
    if (!m_tracking_press)
        m_hover_state.Set(true);
    QPushButton::enterEvent(event);
}

void CSkinButton::leaveEvent(QEvent *event)
{
    m_hover_state.Set(false);
    QPushButton::leaveEvent(event);
}

void CSkinButton::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_tracking_press && hitButton(event->position().toPoint()))
        m_hover_state.Set(true);
    // While a press is tracked, the base class shows the button pushed only while the pointer
    // is over it.
    QPushButton::mouseMoveEvent(event);
}

void CSkinButton::mousePressEvent(QMouseEvent *event)
{
    // A double click arrives here too (the default double-click handler forwards to the press
    // handler), so two quick clicks report two clicks.
    if (event->button() == Qt::LeftButton)
        m_hover_state.Set(false);
    QPushButton::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && isDown())
        m_tracking_press = true;
}

void CSkinButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_tracking_press = false;
    QPushButton::mouseReleaseEvent(event);
}

void CSkinButton::focusOutEvent(QFocusEvent *event)
{
    m_tracking_press = false;
    QPushButton::focusOutEvent(event);
}

void CSkinButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect item = rect();
    const QPalette &pal = palette();
    const int leading_width
        = m_leading.isNull() ? 0 : qRound(m_leading.deviceIndependentSize().width());
    QRect text_rect = item.adjusted(m_text_inset + 2 + leading_width, 0, -(m_text_inset + 2), 0);

    if (!isEnabled()) {
        // A button that cannot be used must read as such at a glance, whatever colour its
        // caption has: its face fades into the window, its picture loses its colours and its
        // caption is grey and embossed.
        painter.setOpacity(kDisabledFaceOpacity);
        DrawFace(painter, m_disabled);
        painter.setOpacity(1.0);
        DrawLeadingPicture(painter, m_leading_greyed);
        if (m_edge != 0)
            qDrawWinButton(&painter, item, pal, false);
        DrawCaption(painter, text_rect, system_color::Highlight3D(pal));
        DrawCaption(painter, text_rect.translated(-1, -1), DisabledTextColor());
        return;
    }

    if (isDown() || GetCheck()) {
        DrawFace(painter, m_pressed);
        DrawLeadingPicture(painter, m_leading);
        text_rect.translate(1, 1);
        if (m_edge != 0)
            qDrawWinButton(&painter, item, pal, true);
    } else {
        const QPixmap *face = &m_normal;
        if (!m_normal.isNull()) {
            if (m_hover_state.Hovering() && !m_hover.isNull())
                face = &m_hover;
            else if (hasFocus() && !m_focus.isNull())
                face = &m_focus;
        }
        DrawFace(painter, *face);
        DrawLeadingPicture(painter, m_leading);
        if (m_edge != 0)
            qDrawWinButton(&painter, item, pal, false);
    }

    if (hasFocus()) {
        // Every button shows where the keyboard is, the picture buttons without a caption
        // margin too: their mark lies just inside the edge.
        const int inset = m_text_inset > 0 ? m_text_inset : kFocusInset;
        QStyleOptionFocusRect focus_option;
        focus_option.initFrom(this);
        focus_option.rect = item.adjusted(inset, inset, -inset, -inset);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus_option, &painter, this);
    }
    DrawCaption(painter, text_rect, TextColor());
}

void CSkinButton::DrawFace(QPainter &painter, const QPixmap &face) const
{
    const QRect item = rect();
    if (face.isNull()) {
        painter.fillRect(item, system_color::ButtonFace(palette()));
        return;
    }
    if (m_draw_mode == SkinDrawMode::Tile) {
        painter.drawTiledPixmap(item, face);
        return;
    }
    const QSize target = m_draw_mode == SkinDrawMode::Stretch
        ? item.size()
        : face.deviceIndependentSize().toSize();
    const QRect area(QPoint(0, 0), target);
    if (m_mask_alpha.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(area, face);
        return;
    }
    painter.drawImage(area, MaskedFace(face, target, devicePixelRatioF()));
}

QImage CSkinButton::MaskedFace(const QPixmap &face, const QSize &target, qreal dpr) const
{
    // The face shows where the mask is dark and the window behind shows where it is white; the
    // result is built at device resolution so dense screens get the @2x pictures' detail.
    const QSize device = (QSizeF(target) * dpr).toSize();
    QImage canvas(device, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(QRect(QPoint(0, 0), device), face, face.rect());

    const QRect mask_area(QPoint(0, 0),
                          m_draw_mode == SkinDrawMode::Stretch
                              ? device
                              : (m_mask.deviceIndependentSize() * dpr).toSize());
    p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    p.drawImage(mask_area, m_mask_alpha);
    // Outside a smaller natural-size mask nothing belongs to the button.
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    for (const QRect &rest : QRegion(canvas.rect()).subtracted(mask_area))
        p.fillRect(rest, Qt::transparent);
    p.end();
    canvas.setDevicePixelRatio(dpr);
    return canvas;
}

void CSkinButton::DrawLeadingPicture(QPainter &painter, const QPixmap &picture) const
{
    if (picture.isNull())
        return;
    const int picture_height = qRound(picture.deviceIndependentSize().height());
    painter.drawPixmap(QPoint(5, (height() - picture_height) / 2), picture);
}

QColor CSkinButton::DisabledTextColor() const
{
    // The palette's grey, unless a window made its disabled text as dark as the enabled caption
    // (the program's dialogs give every text black): then the caption's colour halfway to the
    // window's.
    const QColor grey = system_color::GrayText(palette());
    const QColor caption = TextColor();
    const QColor window = palette().color(QPalette::Window);
    if (qAbs(qGray(grey.rgb()) - qGray(window.rgb()))
        < qAbs(qGray(caption.rgb()) - qGray(window.rgb())))
        return grey;
    return QColor((caption.red() + window.red() * 3) / 4,
                  (caption.green() + window.green() * 3) / 4,
                  (caption.blue() + window.blue() * 3) / 4);
}

QPixmap CSkinButton::Greyed(const QPixmap &picture)
{
    // Each pixel's lightness, lifted towards white and half transparent, as disabled pictures
    // are drawn.
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) / 2);
        }
    }
    QPixmap greyed = QPixmap::fromImage(image);
    greyed.setDevicePixelRatio(picture.devicePixelRatio());
    return greyed;
}

void CSkinButton::DrawCaption(QPainter &painter, const QRect &text_rect, const QColor &color) const
{
    const bool underline = style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this) != 0;
    painter.setPen(color);
    painter.setFont(font());
    painter.drawText(text_rect,
                     Qt::AlignCenter | Qt::TextSingleLine
                         | (underline ? Qt::TextShowMnemonic : Qt::TextHideMnemonic),
                     text());
}

} // namespace quillet
