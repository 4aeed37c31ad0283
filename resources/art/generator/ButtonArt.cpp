// SPDX-License-Identifier: GPL-3.0-or-later
#include "ButtonArt.h"

#include "ArtPalette.h"
#include "ArtWriter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace quillet::art {

namespace {

// The text button's faces and mask are stretched to every button, each from its own size, so
// their corner radii are chosen to land on the same curve: mask radii (8, 14) in 126 x 74 match
// face radii (8 * 88 / 126, 14 * 20 / 74) in 88 x 20. The mask is taller than wide in its
// corners because buttons shrink it far more vertically (74 -> ~21) than horizontally.
constexpr QSize kFaceSize{88, 20};
constexpr QSize kMaskSize{126, 74};
constexpr double kMaskRadiusX = 8.0;
constexpr double kMaskRadiusY = 14.0;
constexpr double kFaceRadiusX = kMaskRadiusX * 88.0 / 126.0;
constexpr double kFaceRadiusY = kMaskRadiusY * 20.0 / 74.0;

struct FaceLook
{
    QColor top, upperMid, lowerMid, bottom, border;
    QColor innerLight; // the one-pixel rim just inside the border
    bool pressed = false;
};

QPainterPath roundedPath(const QRectF &rect, double rx, double ry)
{
    QPainterPath path;
    path.addRoundedRect(rect, rx, ry, Qt::AbsoluteSize);
    return path;
}

void drawTextFace(QPainter &p, const FaceLook &look)
{
    const QRectF outer(0, 0, kFaceSize.width(), kFaceSize.height());
    const QPainterPath body = roundedPath(outer, kFaceRadiusX, kFaceRadiusY);

    QLinearGradient fill(0, 0, 0, kFaceSize.height());
    fill.setColorAt(0.0, look.top);
    fill.setColorAt(0.47, look.upperMid);
    fill.setColorAt(0.53, look.lowerMid);
    fill.setColorAt(1.0, look.bottom);
    p.fillPath(body, fill);

    // A pressed face is lit from below and shaded along its top edge; the others carry a light
    // rim that gives the glossy edge.
    const QRectF inner = outer.adjusted(1.5, 1.5, -1.5, -1.5);
    QPen rim(look.innerLight, 1.0);
    p.setPen(rim);
    p.setBrush(Qt::NoBrush);
    if (look.pressed) {
        p.drawLine(QPointF(inner.left() + 2, inner.top()), QPointF(inner.right() - 2, inner.top()));
    } else {
        p.drawPath(roundedPath(inner, kFaceRadiusX - 1, kFaceRadiusY - 1));
    }

    p.setPen(QPen(look.border, 1.0));
    p.drawPath(
        roundedPath(outer.adjusted(0.5, 0.5, -0.5, -0.5), kFaceRadiusX - 0.5, kFaceRadiusY - 0.5));
}

void writeTextButtons(ArtWriter &w)
{
    const FaceLook normal{kFaceTop,    kFaceUpperMid, kFaceLowerMid,
                          kFaceBottom, kFaceBorder,   QColor(255, 255, 255, 200)};
    const FaceLook hover{kHoverTop,    kHoverUpperMid, kHoverLowerMid,
                         kHoverBottom, kHoverBorder,   QColor(255, 255, 255, 230)};
    const FaceLook pressed{kPressedTop,
                           kPressedMid,
                           kPressedMid,
                           kPressedBottom,
                           kPressedBorder,
                           QColor(40, 70, 130, 90),
                           true};

    w.opaque(QStringLiteral("bmp/269"), kFaceSize, kDialogBackground,
             [&](QPainter &p) { drawTextFace(p, normal); });
    w.opaque(QStringLiteral("bmp/266"), kFaceSize, kDialogBackground,
             [&](QPainter &p) { drawTextFace(p, hover); });
    w.opaque(QStringLiteral("bmp/267"), kFaceSize, kDialogBackground,
             [&](QPainter &p) { drawTextFace(p, pressed); });
    w.mask(QStringLiteral("bmp/268"), kMaskSize, [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPath(roundedPath(QRectF(0, 0, kMaskSize.width(), kMaskSize.height()), kMaskRadiusX,
                               kMaskRadiusY));
    });
}

// Round picture buttons: 32 x 32, the mask a full circle.
constexpr int kRoundSize = 32;
const QPointF kRoundCentre(16, 16);

enum class RoundState { Normal, Hover, Pressed };

void drawRoundBase(QPainter &p, RoundState state)
{
    const double r = kRoundSize / 2.0;
    QLinearGradient fill(0, 0, 0, kRoundSize);
    QColor border;
    switch (state) {
    case RoundState::Normal:
        fill.setColorAt(0, kFaceTop);
        fill.setColorAt(0.5, kFaceLowerMid);
        fill.setColorAt(1, kFaceBottom);
        border = kFaceBorder;
        break;
    case RoundState::Hover:
        fill.setColorAt(0, kHoverTop);
        fill.setColorAt(0.5, kHoverLowerMid);
        fill.setColorAt(1, kHoverBottom);
        border = kHoverBorder;
        break;
    case RoundState::Pressed:
        fill.setColorAt(0, kPressedTop);
        fill.setColorAt(1, kPressedBottom);
        border = kPressedBorder;
        break;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawEllipse(kRoundCentre, r, r);

    if (state != RoundState::Pressed) {
        // Soft gloss over the upper half.
        QLinearGradient gloss(0, 1, 0, 16);
        gloss.setColorAt(0, QColor(255, 255, 255, 210));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        p.setBrush(gloss);
        p.drawEllipse(QRectF(4, 1.5, 24, 15));
    }
    if (state == RoundState::Hover) {
        QRadialGradient glow(kRoundCentre, r);
        glow.setColorAt(0.78, QColor(120, 170, 250, 0));
        glow.setColorAt(0.95, QColor(120, 170, 250, 150));
        glow.setColorAt(1.0, QColor(120, 170, 250, 0));
        p.setBrush(glow);
        p.drawEllipse(kRoundCentre, r, r);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(border, 1.0));
    p.drawEllipse(kRoundCentre, r - 0.5, r - 0.5);
}

void drawGlobe(QPainter &p, const QPointF &c, double radius, bool bright)
{
    QRadialGradient sea(c + QPointF(-radius * 0.35, -radius * 0.4), radius * 1.5);
    sea.setColorAt(0, bright ? QColor(128, 196, 255) : QColor(110, 176, 245));
    sea.setColorAt(1, bright ? QColor(30, 96, 200) : QColor(28, 84, 176));
    p.setPen(Qt::NoPen);
    p.setBrush(sea);
    p.drawEllipse(c, radius, radius);

    // Meridians and parallels, faint so the globe reads as a sphere rather than a grid.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 150), 0.8));
    p.drawEllipse(c, radius * 0.45, radius);
    p.drawLine(QPointF(c.x(), c.y() - radius), QPointF(c.x(), c.y() + radius));
    p.drawLine(QPointF(c.x() - radius, c.y()), QPointF(c.x() + radius, c.y()));
    const double dy = radius * 0.5;
    const double dx = std::sqrt(radius * radius - dy * dy);
    p.drawLine(QPointF(c.x() - dx, c.y() - dy), QPointF(c.x() + dx, c.y() - dy));
    p.drawLine(QPointF(c.x() - dx, c.y() + dy), QPointF(c.x() + dx, c.y() + dy));
    p.setPen(QPen(QColor(20, 60, 130), 0.8));
    p.drawEllipse(c, radius - 0.4, radius - 0.4);
}

// A circular arrow round the globe: the "look again" sign.
void drawRefreshArrow(QPainter &p, const QPointF &c, double radius, const QColor &colour)
{
    const double startDeg = 60; // Qt angles: counter-clockwise from three o'clock
    const double spanDeg = 250;
    QPainterPath arc;
    const QRectF box(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius);
    arc.arcMoveTo(box, startDeg);
    arc.arcTo(box, startDeg, spanDeg);
    QPen pen(colour, 2.2, Qt::SolidLine, Qt::RoundCap);
    p.setPen(QPen(Qt::white, 4.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    p.setPen(pen);
    p.drawPath(arc);

    // Arrowhead at the end of the arc, pointing along the direction of travel.
    const double endRad = (startDeg + spanDeg) * std::numbers::pi / 180.0;
    const QPointF tip(c.x() + radius * std::cos(endRad), c.y() - radius * std::sin(endRad));
    // Direction of travel of a counter-clockwise arc in y-down coordinates.
    const QPointF tangent(-std::sin(endRad), -std::cos(endRad));
    const QPointF normal(std::cos(endRad), -std::sin(endRad));
    QPolygonF head;
    head << tip + tangent * 4.2 << tip + normal * 3.4 << tip - normal * 3.4;
    p.setPen(QPen(Qt::white, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(colour);
    p.drawPolygon(head);
}

void drawUpdateGlyph(QPainter &p, RoundState state)
{
    const QPointF c = kRoundCentre + (state == RoundState::Pressed ? QPointF(1, 1) : QPointF());
    drawGlobe(p, c, 7.2, state == RoundState::Hover);
    drawRefreshArrow(p, c, 10.6,
                     state == RoundState::Hover ? QColor(40, 170, 60) : QColor(46, 150, 64));
}

QPainterPath gearPath(const QPointF &c, double outer, double inner, double hole, int teeth)
{
    QPainterPath path;
    const double step = 2 * std::numbers::pi / teeth;
    for (int i = 0; i < teeth; ++i) {
        const double a = i * step;
        // Each tooth: flat top over 40 % of the pitch, flanks sloping down to the root circle.
        const double angles[]
            = {a - step * 0.30, a - step * 0.18, a + step * 0.18, a + step * 0.30};
        const double radii[] = {inner, outer, outer, inner};
        for (int k = 0; k < 4; ++k) {
            const QPointF pt(c.x() + radii[k] * std::cos(angles[k]),
                             c.y() + radii[k] * std::sin(angles[k]));
            if (i == 0 && k == 0)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
        const QPointF nextRoot(c.x() + inner * std::cos(a + step * 0.70),
                               c.y() + inner * std::sin(a + step * 0.70));
        path.lineTo(nextRoot);
    }
    path.closeSubpath();
    path.addEllipse(c, hole, hole);
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

void drawSettingsGlyph(QPainter &p, RoundState state)
{
    const QPointF c = kRoundCentre + (state == RoundState::Pressed ? QPointF(1, 1) : QPointF());
    const QPainterPath gear = gearPath(c, 10.2, 7.6, 3.2, 8);
    QLinearGradient metal(0, c.y() - 10, 0, c.y() + 10);
    if (state == RoundState::Hover) {
        metal.setColorAt(0, QColor(150, 176, 220));
        metal.setColorAt(1, QColor(60, 92, 150));
    } else {
        metal.setColorAt(0, QColor(146, 164, 196));
        metal.setColorAt(1, QColor(72, 92, 130));
    }
    p.setPen(QPen(QColor(44, 60, 96), 0.9, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(metal);
    p.drawPath(gear);
    // A lighter hub ring gives the gear depth.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 120), 1.0));
    p.drawEllipse(c, 5.4, 5.4);
}

void writeRoundSet(ArtWriter &w, int hover, int pressed, int mask, int normal,
                   void (*glyph)(QPainter &, RoundState))
{
    const QSize size(kRoundSize, kRoundSize);
    const auto face = [glyph](RoundState state) {
        return [glyph, state](QPainter &p) {
            drawRoundBase(p, state);
            glyph(p, state);
        };
    };
    w.opaque(QStringLiteral("bmp/%1").arg(normal), size, kDialogBackground,
             face(RoundState::Normal));
    w.opaque(QStringLiteral("bmp/%1").arg(hover), size, kDialogBackground, face(RoundState::Hover));
    w.opaque(QStringLiteral("bmp/%1").arg(pressed), size, kDialogBackground,
             face(RoundState::Pressed));
    w.mask(QStringLiteral("bmp/%1").arg(mask), size, [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(QRectF(0, 0, kRoundSize, kRoundSize));
    });
}

} // namespace

void WriteButtonArt(ArtWriter &writer)
{
    writeTextButtons(writer);
    writeRoundSet(writer, 253, 254, 255, 256, drawUpdateGlyph);
    writeRoundSet(writer, 257, 258, 259, 260, drawSettingsGlyph);
}

} // namespace quillet::art
