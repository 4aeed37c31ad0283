// SPDX-License-Identifier: GPL-3.0-or-later
#include "SampleFrame.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace subtitles {

QImage PaintSampleFrame(QSize size)
{
    QImage image(size, QImage::Format_RGB888);
    const qreal w = size.width();
    const qreal h = size.height();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, h * 0.62);
    sky.setColorAt(0, QColor(64, 110, 170));
    sky.setColorAt(0.7, QColor(236, 170, 120));
    sky.setColorAt(1, QColor(250, 214, 160));
    painter.fillRect(image.rect(), sky);

    QRadialGradient sun(QPointF(w * 0.72, h * 0.5), h * 0.16);
    sun.setColorAt(0, QColor(255, 246, 210));
    sun.setColorAt(0.5, QColor(255, 220, 150));
    sun.setColorAt(1, QColor(255, 220, 150, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sun);
    painter.drawEllipse(QPointF(w * 0.72, h * 0.5), h * 0.16, h * 0.16);

    QPainterPath far;
    far.moveTo(0, h * 0.6);
    far.cubicTo(w * 0.25, h * 0.45, w * 0.45, h * 0.62, w * 0.65, h * 0.55);
    far.cubicTo(w * 0.8, h * 0.5, w * 0.9, h * 0.58, w, h * 0.54);
    far.lineTo(w, h);
    far.lineTo(0, h);
    painter.setBrush(QColor(92, 84, 110));
    painter.drawPath(far);

    QPainterPath near;
    near.moveTo(0, h * 0.72);
    near.cubicTo(w * 0.3, h * 0.64, w * 0.55, h * 0.8, w, h * 0.7);
    near.lineTo(w, h);
    near.lineTo(0, h);
    QLinearGradient ground(0, h * 0.65, 0, h);
    ground.setColorAt(0, QColor(52, 70, 56));
    ground.setColorAt(1, QColor(22, 30, 26));
    painter.setBrush(ground);
    painter.drawPath(near);
    return image;
}

} // namespace subtitles
