// SPDX-License-Identifier: GPL-3.0-or-later
#include "LeadingArt.h"

#include "ArtPalette.h"
#include "ArtWriter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace quillet::art {

namespace {

constexpr QSize kLeadingSize{16, 16};

void drawBadgeDisc(QPainter &p, const QPointF &c, double r, const QColor &top, const QColor &bottom)
{
    QLinearGradient fill(0, c.y() - r, 0, c.y() + r);
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.setPen(QPen(bottom.darker(130), 1.0));
    p.setBrush(fill);
    p.drawEllipse(c, r - 0.5, r - 0.5);
    // Gloss on the upper half.
    QLinearGradient gloss(0, c.y() - r, 0, c.y());
    gloss.setColorAt(0, QColor(255, 255, 255, 170));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(QRectF(c.x() - r * 0.7, c.y() - r + 1, r * 1.4, r * 0.95));
}

void drawFilmFrame(QPainter &p, const QRectF &r)
{
    QLinearGradient body(0, r.top(), 0, r.bottom());
    body.setColorAt(0, QColor(78, 110, 170));
    body.setColorAt(1, QColor(36, 58, 104));
    p.setPen(QPen(QColor(28, 44, 84), 1.0));
    p.setBrush(body);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 1.2, 1.2);
    // Picture window and sprocket holes.
    const QRectF window(r.left() + 2.5, r.top() + 3, r.width() - 5, r.height() - 6);
    QLinearGradient sky(0, window.top(), 0, window.bottom());
    sky.setColorAt(0, QColor(170, 214, 255));
    sky.setColorAt(1, QColor(92, 150, 232));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRect(window);
    p.setBrush(QColor(230, 238, 250));
    for (double x = r.left() + 2; x < r.right() - 1.5; x += 2.5) {
        p.drawRect(QRectF(x, r.top() + 1.2, 1.2, 1.0));
        p.drawRect(QRectF(x, r.bottom() - 2.2, 1.2, 1.0));
    }
}

void drawAdd(QPainter &p)
{
    drawFilmFrame(p, QRectF(0.5, 1, 12, 11));
    drawBadgeDisc(p, QPointF(11.5, 11.5), 4.5, QColor(118, 210, 96), QColor(44, 146, 52));
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(11.5, 9.2), QPointF(11.5, 13.8));
    p.drawLine(QPointF(9.2, 11.5), QPointF(13.8, 11.5));
}

void drawStart(QPainter &p)
{
    const QPointF c(8, 8);
    drawBadgeDisc(p, c, 7.5, QColor(120, 212, 98), QColor(40, 140, 50));
    QPolygonF play;
    play << QPointF(6.0, 4.6) << QPointF(11.6, 8.0) << QPointF(6.0, 11.4);
    p.setPen(QPen(QColor(255, 255, 255), 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPolygon(play);
}

void drawStop(QPainter &p)
{
    const QPointF c(8, 8);
    drawBadgeDisc(p, c, 7.5, QColor(248, 118, 96), QColor(196, 40, 30));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(5.2, 5.2, 5.6, 5.6), 0.8, 0.8);
}

void drawFolder(QPainter &p)
{
    // Back of the folder with its tab, then the open front flap tilted forwards.
    QPainterPath back;
    back.moveTo(1, 3.5);
    back.lineTo(5.5, 3.5);
    back.lineTo(7, 5);
    back.lineTo(13.5, 5);
    back.lineTo(13.5, 13.5);
    back.lineTo(1, 13.5);
    back.closeSubpath();
    p.setPen(QPen(QColor(168, 118, 20), 1.0));
    p.setBrush(QColor(236, 186, 72));
    p.drawPath(back);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(3, 6, 9, 3)); // a sheet of paper peeking out
    QPainterPath front;
    front.moveTo(1, 13.5);
    front.lineTo(3.5, 7.5);
    front.lineTo(15.5, 7.5);
    front.lineTo(13.5, 13.5);
    front.closeSubpath();
    QLinearGradient flap(0, 7.5, 0, 13.5);
    flap.setColorAt(0, QColor(255, 224, 128));
    flap.setColorAt(1, QColor(240, 184, 60));
    p.setPen(QPen(QColor(168, 118, 20), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(flap);
    p.drawPath(front);
}

void drawDisc(QPainter &p)
{
    const QPointF c(8, 8);
    QRadialGradient face(c, 7.5);
    face.setColorAt(0.25, QColor(246, 248, 252));
    face.setColorAt(1.0, QColor(190, 200, 218));
    p.setPen(QPen(QColor(112, 124, 150), 1.0));
    p.setBrush(face);
    p.drawEllipse(c, 7, 7);
    // The rainbow sheen of a recordable disc, kept subtle.
    QConicalGradient sheen(c, 30);
    sheen.setColorAt(0.0, QColor(160, 210, 255, 150));
    sheen.setColorAt(0.25, QColor(255, 255, 255, 0));
    sheen.setColorAt(0.5, QColor(255, 200, 230, 140));
    sheen.setColorAt(0.75, QColor(255, 255, 255, 0));
    sheen.setColorAt(1.0, QColor(160, 210, 255, 150));
    p.setPen(Qt::NoPen);
    p.setBrush(sheen);
    p.drawEllipse(c, 6.4, 6.4);
    p.setPen(QPen(QColor(112, 124, 150), 0.8));
    p.setBrush(QColor(222, 228, 238));
    p.drawEllipse(c, 2.6, 2.6);
    // The hole shows the button through it, so it is cleared to become the key colour.
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, 1.3, 1.3);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void drawOptions(QPainter &p)
{
    // Three slider rails with their knobs at different positions.
    const double rails[] = {3.5, 8, 12.5};
    const double knobs[] = {10.5, 5, 9};
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(70, 92, 134), 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(1.5, rails[i]), QPointF(14.5, rails[i]));
        QLinearGradient knob(0, rails[i] - 2.2, 0, rails[i] + 2.2);
        knob.setColorAt(0, QColor(134, 176, 246));
        knob.setColorAt(1, QColor(42, 94, 188));
        p.setPen(QPen(QColor(28, 60, 128), 0.9));
        p.setBrush(knob);
        p.drawRoundedRect(QRectF(knobs[i] - 2, rails[i] - 2.3, 4, 4.6), 1.2, 1.2);
    }
}

} // namespace

void WriteLeadingArt(ArtWriter &writer)
{
    writer.keyed(QStringLiteral("bmp/272"), kLeadingSize, drawAdd);
    writer.keyed(QStringLiteral("bmp/273"), kLeadingSize, drawStop);
    writer.keyed(QStringLiteral("bmp/274"), kLeadingSize, drawStart);
    writer.keyed(QStringLiteral("bmp/275"), kLeadingSize, drawFolder);
    writer.keyed(QStringLiteral("bmp/276"), kLeadingSize, drawDisc);
    writer.keyed(QStringLiteral("bmp/277"), kLeadingSize, drawOptions);
}

} // namespace quillet::art
