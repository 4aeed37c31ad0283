// SPDX-License-Identifier: GPL-3.0-or-later
#include "SkinFilter.h"

#include <QChildEvent>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

namespace quillet::veneer {

SkinFilter::SkinFilter(QWidget *window, SkinChoice choice)
    : QObject(window)
    , m_window(window)
    , m_choice(choice)
{
    setObjectName(QLatin1String(kObjectName));
    Watch(window);
    // Widgets already shown are polished already: skin them now.
    if (window->testAttribute(Qt::WA_WState_Polished)) {
        SkinWidget(window);
        for (QWidget *child : window->findChildren<QWidget *>())
            SkinWidget(child);
    }
}

void SkinFilter::Watch(QWidget *widget)
{
    widget->installEventFilter(this);
    for (QObject *child : widget->children())
        if (child->isWidgetType())
            Watch(static_cast<QWidget *>(child));
}

void SkinFilter::SkinWidget(QWidget *widget) const
{
    if (widget == m_window) {
        if (m_choice.windows) {
            QPalette palette = widget->palette();
            palette.setColor(QPalette::Window, m_choice.skin->background);
            widget->setPalette(palette);
        }
        if (m_choice.controls && !widget->testAttribute(Qt::WA_SetFont))
            widget->setFont(SkinFont(*m_choice.skin));
        return;
    }
    if (!m_choice.controls)
        return;
    // Only the plain kinds: a QLabel showing text, a QFrame that is nothing more (a group frame).
    // Subclasses (link labels, lists, edits) draw themselves.
    const QMetaObject *kind = widget->metaObject();
    if (kind == &QLabel::staticMetaObject) {
        auto *label = static_cast<QLabel *>(widget);
        if (!label->pixmap().isNull())
            return;
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, m_choice.skin->label_text);
        label->setPalette(palette);
        label->setAutoFillBackground(false);
    } else if (kind == &QFrame::staticMetaObject) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, m_choice.skin->frame);
        widget->setPalette(palette);
    }
}

void SkinFilter::PaintBackground(QWidget *window, const QRect &area) const
{
    const Skin &skin = *m_choice.skin;
    QPainter painter(window);
    painter.setClipRect(area);
    painter.fillRect(window->rect(), skin.background);
    QLinearGradient band(0, 0, 0, skin.band_height);
    band.setColorAt(0, skin.band_top);
    band.setColorAt(1, skin.background);
    painter.fillRect(QRect(0, 0, window->width(), skin.band_height), band);
}

bool SkinFilter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded: {
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child->isWidgetType())
            Watch(static_cast<QWidget *>(child));
        break;
    }
    case QEvent::Polish:
        if (watched->isWidgetType())
            SkinWidget(static_cast<QWidget *>(watched));
        break;
    case QEvent::Paint:
        // Painted first; the window's own painting comes on top of it.
        if (watched == m_window && m_choice.windows)
            PaintBackground(m_window, static_cast<QPaintEvent *>(event)->rect());
        break;
    default:
        break;
    }
    return false;
}

} // namespace quillet::veneer
