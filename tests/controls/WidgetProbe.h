// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QMouseEvent>
#include <QRect>

class QWidget;

namespace quillet::test {

/// The widget as it paints itself, as an RGB image in logical pixels.
QImage Grab(QWidget *widget);

/// True when every channel of a and b differs by at most tolerance.
bool Near(const QColor &a, const QColor &b, int tolerance);

/// Pixels where two pictures of the same size differ, as their bounding rectangle.
QRect DifferenceBounds(const QImage &a, const QImage &b);

/// Bounding rectangle of the pixels of exactly this colour within area (null when none).
QRect ColorBounds(const QImage &image, const QColor &color, const QRect &area);
/// Number of pixels of exactly this colour within area.
int CountColor(const QImage &image, const QColor &color, const QRect &area);

/// A font without smoothing, so glyph pixels carry exactly the colour they are drawn in.
QFont CrispFont();

/// Sends a mouse event straight to the widget, as the platform would deliver it.
void SendMouse(QWidget *widget, QEvent::Type type, const QPoint &pos,
               Qt::MouseButton button = Qt::LeftButton, Qt::MouseButtons buttons = Qt::NoButton);
void SendEnter(QWidget *widget, const QPoint &pos);
void SendLeave(QWidget *widget);

} // namespace quillet::test
