// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramIconArt.h"

#include "ArtPalette.h"
#include "ArtWriter.h"

#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <QTransform>

#include <vector>

namespace quillet::art {

namespace {

// The icon is drawn on a 256-unit square. At 16 pixels one pixel is 16 units, so the small
// variant keeps only what is at least a pixel wide there.
constexpr double kUnits = 256.0;
// Sizes the hicolor theme lists for applications; 24 and below use the small variant.
constexpr int kThemeSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
constexpr int kLargestSmallSize = 24;

/// One filled and/or stroked path: everything the icon is made of, so the same list can be
/// painted with QPainter and written as SVG.
struct Shape
{
    QPainterPath path;
    QColor fill = Qt::transparent;
    // A two-stop linear gradient instead of the plain fill when from != to.
    QPointF from, to;
    QColor fill_end;
    QColor stroke = Qt::transparent;
    double stroke_width = 0;

    bool Gradient() const { return from != to; }
};

Shape Filled(const QPainterPath &path, const QColor &colour)
{
    Shape shape;
    shape.path = path;
    shape.fill = colour;
    return shape;
}

Shape Shaded(const QPainterPath &path, QPointF from, const QColor &start, QPointF to,
             const QColor &end)
{
    Shape shape = Filled(path, start);
    shape.from = from;
    shape.to = to;
    shape.fill_end = end;
    return shape;
}

Shape Stroked(const QPainterPath &path, const QColor &colour, double width)
{
    Shape shape;
    shape.path = path;
    shape.stroke = colour;
    shape.stroke_width = width;
    return shape;
}

QPainterPath Rounded(const QRectF &rect, double radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QPainterPath Line(QPointF a, QPointF b)
{
    QPainterPath path(a);
    path.lineTo(b);
    return path;
}

std::vector<Shape> IconShapes(bool small)
{
    std::vector<Shape> shapes;
    const QColor tile_top(104, 156, 240);
    const QColor tile_bottom(36, 78, 164);
    const QRectF tile(16, 16, 224, 224);
    const QPainterPath tile_path = Rounded(tile, 48);

    // The tile: the blue of the window's accents, with a soft gloss over its upper half.
    Shape base = Shaded(tile_path, tile.topLeft(), tile_top, tile.bottomLeft(), tile_bottom);
    base.stroke = tile_bottom.darker(125);
    base.stroke_width = small ? 16 : 6;
    shapes.push_back(base);
    const QRectF gloss(tile.left() + 8, tile.top() + 8, tile.width() - 16, tile.height() * 0.5);
    shapes.push_back(Shaded(Rounded(gloss, 40), gloss.topLeft(), QColor(255, 255, 255, 110),
                            gloss.bottomLeft(), QColor(255, 255, 255, 0)));

    // A film strip tilted across the lower half, cut off by the tile's edge.
    QTransform tilt;
    tilt.translate(128, 166);
    tilt.rotate(-14);
    tilt.translate(-128, -166);
    const QPainterPath inside = Rounded(tile.adjusted(6, 6, -6, -6), 42);
    QPainterPath strip;
    strip.addRect(QRectF(-60, 128, 376, 76));
    strip = tilt.map(strip).intersected(inside);
    shapes.push_back(Shaded(strip, QPointF(0, 128), kInk, QPointF(0, 212), QColor(26, 34, 56)));
    // Sprocket holes along both edges, larger and fewer where a pixel is 16 units.
    const double hole_w = small ? 26 : 14;
    const double hole_h = small ? 16 : 11;
    const double pitch = small ? 56 : 28;
    QPainterPath holes;
    for (double x = -50; x < 300; x += pitch) {
        holes.addRoundedRect(QRectF(x, 134, hole_w, hole_h), 3, 3);
        holes.addRoundedRect(QRectF(x, 198 - hole_h, hole_w, hole_h), 3, 3);
    }
    shapes.push_back(Filled(tilt.map(holes).intersected(inside), kDialogBackground));
    // The frames between them.
    QPainterPath frames;
    const double frame_top = small ? 154 : 151;
    const double frame_h = small ? 24 : 30;
    for (double x = -40; x < 300; x += 66)
        frames.addRoundedRect(QRectF(x, frame_top, 54, frame_h), 4, 4);
    shapes.push_back(Shaded(tilt.map(frames).intersected(inside), QPointF(0, 120), kSkyBlue,
                            QPointF(0, 220), QColor(80, 120, 200)));

    // The quill, laid out along +x from its nib and turned to rise to the upper right: a long
    // vane, wider on one side of the shaft, ending in a bent tip.
    QTransform quill;
    quill.translate(52, 218);
    quill.rotate(-52);
    QPainterPath vane(QPointF(52, 0));
    vane.cubicTo(QPointF(88, -40), QPointF(170, -50), QPointF(226, -14));
    vane.quadTo(QPointF(240, -4), QPointF(246, -10));
    vane.quadTo(QPointF(242, 6), QPointF(226, 8));
    vane.cubicTo(QPointF(176, 28), QPointF(110, 30), QPointF(74, 8));
    vane.closeSubpath();
    const QPainterPath shadow = QTransform::fromTranslate(7, 9).map(quill.map(vane));
    shapes.push_back(Filled(shadow.intersected(inside), QColor(10, 20, 50, 70)));
    Shape feather = Shaded(quill.map(vane), quill.map(QPointF(52, 0)), Qt::white,
                           quill.map(QPointF(246, 0)), QColor(214, 228, 252));
    feather.stroke = kDeepBlue;
    feather.stroke_width = small ? 12 : 5;
    shapes.push_back(feather);
    if (!small) {
        // Barbs: the vane's fine lines, parted in places as a real feather's are.
        const QColor barb(150, 178, 224);
        for (const auto &[root, end] : {std::pair{QPointF(100, 0), QPointF(128, -34)},
                                        {QPointF(140, 0), QPointF(172, -38)},
                                        {QPointF(184, 0), QPointF(210, -24)},
                                        {QPointF(112, 0), QPointF(140, 20)},
                                        {QPointF(158, 0), QPointF(186, 18)}})
            shapes.push_back(Stroked(quill.map(Line(root, end)), barb, 3));
    }
    // The shaft, and the cut nib at the lower left with its ink-dark point.
    shapes.push_back(
        Stroked(quill.map(Line(QPointF(26, 0), QPointF(230, 0))), kDeepBlue, small ? 14 : 6));
    QPainterPath nib(QPointF(-6, 0));
    nib.lineTo(QPointF(34, -10));
    nib.lineTo(QPointF(40, 0));
    nib.lineTo(QPointF(34, 10));
    nib.closeSubpath();
    Shape cut = Filled(quill.map(nib), QColor(250, 246, 232));
    cut.stroke = kInk;
    cut.stroke_width = small ? 10 : 4;
    shapes.push_back(cut);
    QPainterPath point(QPointF(-6, 0));
    point.lineTo(QPointF(12, -5));
    point.lineTo(QPointF(12, 5));
    point.closeSubpath();
    shapes.push_back(Filled(quill.map(point), kInk));
    return shapes;
}

void Paint(QPainter &painter, const std::vector<Shape> &shapes)
{
    for (const Shape &shape : shapes) {
        if (shape.Gradient()) {
            QLinearGradient gradient(shape.from, shape.to);
            gradient.setColorAt(0, shape.fill);
            gradient.setColorAt(1, shape.fill_end);
            painter.setBrush(gradient);
        } else if (shape.fill.alpha() > 0) {
            painter.setBrush(shape.fill);
        } else {
            painter.setBrush(Qt::NoBrush);
        }
        if (shape.stroke_width > 0)
            painter.setPen(
                QPen(shape.stroke, shape.stroke_width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        else
            painter.setPen(Qt::NoPen);
        painter.drawPath(shape.path);
    }
}

QString Number(double value)
{
    QString text = QString::number(value, 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString Point(QPointF point)
{
    return Number(point.x()) + QLatin1Char(' ') + Number(point.y());
}

QString PathData(const QPainterPath &path)
{
    QString data;
    QPointF start;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            start = e;
            data += QStringLiteral("M") + Point(e);
            break;
        case QPainterPath::LineToElement:
            // QPainterPath closes a subpath with a line back to its start, the subpath's last
            // element.
            if (QPointF(e) == start
                && (i + 1 == path.elementCount()
                    || path.elementAt(i + 1).type == QPainterPath::MoveToElement))
                data += QStringLiteral("Z");
            else
                data += QStringLiteral("L") + Point(e);
            break;
        case QPainterPath::CurveToElement:
            data += QStringLiteral("C") + Point(e) + QLatin1Char(' ') + Point(path.elementAt(i + 1))
                + QLatin1Char(' ') + Point(path.elementAt(i + 2));
            i += 2;
            break;
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    return data;
}

QString Colour(const QColor &colour, const char *property)
{
    QString text = QStringLiteral("%1=\"%2\"").arg(QLatin1String(property), colour.name());
    if (colour.alpha() < 255)
        text += QStringLiteral(" %1-opacity=\"%2\"")
                    .arg(QLatin1String(property), Number(colour.alphaF()));
    return text;
}

QString Svg(const std::vector<Shape> &shapes)
{
    QString defs;
    QString body;
    int gradients = 0;
    for (const Shape &shape : shapes) {
        QString fill;
        if (shape.Gradient()) {
            const QString id = QStringLiteral("g%1").arg(++gradients);
            defs += QStringLiteral("    <linearGradient id=\"%1\" gradientUnits=\"userSpaceOnUse\" "
                                   "x1=\"%2\" y1=\"%3\" x2=\"%4\" y2=\"%5\">\n")
                        .arg(id, Number(shape.from.x()), Number(shape.from.y()),
                             Number(shape.to.x()), Number(shape.to.y()));
            const QString stop = QStringLiteral("      <stop offset=\"%1\" %2/>\n");
            defs += stop.arg(QStringLiteral("0"), Colour(shape.fill, "stop-color"));
            defs += stop.arg(QStringLiteral("1"), Colour(shape.fill_end, "stop-color"));
            defs += QStringLiteral("    </linearGradient>\n");
            fill = QStringLiteral("fill=\"url(#%1)\"").arg(id);
        } else if (shape.fill.alpha() > 0) {
            fill = Colour(shape.fill, "fill");
        } else {
            fill = QStringLiteral("fill=\"none\"");
        }
        if (shape.path.fillRule() == Qt::OddEvenFill)
            fill += QStringLiteral(" fill-rule=\"evenodd\"");
        QString stroke;
        if (shape.stroke_width > 0)
            stroke = QStringLiteral(" %1 stroke-width=\"%2\" stroke-linecap=\"round\" "
                                    "stroke-linejoin=\"round\"")
                         .arg(Colour(shape.stroke, "stroke"), Number(shape.stroke_width));
        body += QStringLiteral("  <path %1%2 d=\"%3\"/>\n").arg(fill, stroke, PathData(shape.path));
    }
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<!-- SPDX-License-Identifier: GPL-3.0-or-later -->\n"
                          "<!-- Written by quillet-artgen; run the regenerate-art target. -->\n"
                          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                          "viewBox=\"0 0 256 256\">\n  <title>quillet</title>\n  <defs>\n")
        + defs + QStringLiteral("  </defs>\n") + body + QStringLiteral("</svg>\n");
}

} // namespace

QString ProgramIconSvg(bool small)
{
    return Svg(IconShapes(small));
}

void PaintProgramIcon(QPainter &painter, double side)
{
    painter.save();
    painter.scale(side / kUnits, side / kUnits);
    Paint(painter, IconShapes(side <= kLargestSmallSize));
    painter.restore();
}

void WriteProgramIconArt(ArtWriter &writer)
{
    for (const int size : kThemeSizes)
        writer.exact(QStringLiteral("hicolor/%1x%1/apps/quillet").arg(size), QSize(size, size),
                     [size](QPainter &painter) { PaintProgramIcon(painter, size); });
    writer.text(QStringLiteral("hicolor/scalable/apps/quillet.svg"), ProgramIconSvg());
}

} // namespace quillet::art
