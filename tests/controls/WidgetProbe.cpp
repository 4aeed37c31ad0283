// SPDX-License-Identifier: GPL-3.0-or-later
#include "WidgetProbe.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPixmap>
#include <QWidget>

#include <cstdlib>

namespace quillet::test {

QImage Grab(QWidget *widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool Near(const QColor &a, const QColor &b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

QRect DifferenceBounds(const QImage &a, const QImage &b)
{
    QRect bounds;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y))
                bounds = bounds.united(QRect(x, y, 1, 1));
        }
    }
    return bounds;
}

QRect ColorBounds(const QImage &image, const QColor &color, const QRect &area)
{
    QRect bounds;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (color.rgb() & 0xFFFFFF))
                bounds = bounds.united(QRect(x, y, 1, 1));
        }
    }
    return bounds;
}

int CountColor(const QImage &image, const QColor &color, const QRect &area)
{
    int count = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (color.rgb() & 0xFFFFFF))
                ++count;
        }
    }
    return count;
}

QFont CrispFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(9);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void SendMouse(QWidget *widget, QEvent::Type type, const QPoint &pos, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void SendEnter(QWidget *widget, const QPoint &pos)
{
    QEnterEvent event{QPointF(pos), QPointF(pos), QPointF(widget->mapToGlobal(pos))};
    QApplication::sendEvent(widget, &event);
}

void SendLeave(QWidget *widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

} // namespace quillet::test
