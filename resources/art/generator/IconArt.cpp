// SPDX-License-Identifier: GPL-3.0-or-later
#include "IconArt.h"

#include "ArtPalette.h"
#include "ArtWriter.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace quillet::art {

namespace {

// Every icon is drawn on a 32-unit grid and scaled; at 16 pixels one pixel is two units, so
// outlines there are two units wide and sit on odd coordinates to stay on whole pixels.
struct Grid
{
    bool small; // drawn for 16 pixels
    double line() const { return small ? 2.0 : 1.0; }
    /// Offset that centres an outline of line() width on a pixel row or column.
    double half() const { return small ? 1.0 : 0.5; }
};

using IconDrawing = void (*)(QPainter &, const Grid &);

QPainterPath rounded(const QRectF &r, double radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

void gloss(QPainter &p, const QRectF &r, double radius, int alpha = 120)
{
    QLinearGradient g(0, r.top(), 0, r.top() + r.height() * 0.55);
    g.setColorAt(0, QColor(255, 255, 255, alpha));
    g.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(rounded(QRectF(r.left(), r.top(), r.width(), r.height() * 0.55), radius));
}

// A rounded square tile, the base of the application and group icons.
void tile(QPainter &p, const Grid &g, const QColor &top, const QColor &bottom)
{
    const double h = g.half();
    const QRectF r(2 + h, 2 + h, 28 - 2 * h, 28 - 2 * h);
    const double radius = g.small ? 5 : 6;
    QLinearGradient fill(0, r.top(), 0, r.bottom());
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.setPen(QPen(bottom.darker(125), g.line()));
    p.setBrush(fill);
    p.drawPath(rounded(r, radius));
    gloss(p, r.adjusted(g.line(), g.line(), -g.line(), 0), radius - 1, g.small ? 70 : 100);
}

void playTriangle(QPainter &p, const QPointF &c, double size, const QColor &colour)
{
    QPolygonF tri;
    tri << QPointF(c.x() - size * 0.42, c.y() - size * 0.5) << QPointF(c.x() + size * 0.55, c.y())
        << QPointF(c.x() - size * 0.42, c.y() + size * 0.5);
    p.setPen(QPen(colour, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(colour);
    p.drawPolygon(tri);
}

void arcArrow(QPainter &p, const QPointF &c, double radius, double startDeg, double spanDeg,
              double width, const QColor &colour)
{
    const QRectF box(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius);
    QPainterPath arc;
    arc.arcMoveTo(box, startDeg);
    arc.arcTo(box, startDeg, spanDeg);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    const double end = (startDeg + spanDeg) * std::numbers::pi / 180.0;
    const double dir = spanDeg > 0 ? 1.0 : -1.0;
    const QPointF tip(c.x() + radius * std::cos(end), c.y() - radius * std::sin(end));
    const QPointF tangent(-std::sin(end) * dir, -std::cos(end) * dir);
    const QPointF normal(std::cos(end), -std::sin(end));
    QPolygonF head;
    head << tip + tangent * (width * 1.9) << tip + normal * (width * 1.5)
         << tip - normal * (width * 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(head);
}

void drawApplication(QPainter &p, const Grid &g)
{
    tile(p, g, QColor(104, 156, 240), QColor(36, 78, 164));
    const QPointF c(16, 16);
    if (g.small) {
        playTriangle(p, c + QPointF(0.5, 0), 11, Qt::white);
        return;
    }
    // Two arrows chasing each other round a play sign: media going round to a new form.
    arcArrow(p, c, 9.5, 100, 140, 2.2, QColor(255, 255, 255, 235));
    arcArrow(p, c, 9.5, 280, 140, 2.2, QColor(255, 255, 255, 235));
    playTriangle(p, c + QPointF(0.8, 0), 9, Qt::white);
}

void drawOtherProfiles(QPainter &p, const Grid &g)
{
    const double h = g.half();
    // A fanned stack of profile cards.
    const QColor edge(92, 112, 150);
    const QRectF back(10 + h, 3 + h, 18 - 2 * h, 20 - 2 * h);
    const QRectF middle(7 + h, 6 + h, 18 - 2 * h, 20 - 2 * h);
    const QRectF front(4 + h, 9 + h, 18 - 2 * h, 20 - 2 * h);
    p.setPen(QPen(edge, g.line()));
    p.setBrush(QColor(196, 212, 236));
    p.drawPath(rounded(back, 2));
    if (!g.small) {
        p.setBrush(QColor(222, 232, 248));
        p.drawPath(rounded(middle, 2));
    }
    QLinearGradient paper(0, front.top(), 0, front.bottom());
    paper.setColorAt(0, Qt::white);
    paper.setColorAt(1, QColor(232, 240, 252));
    p.setBrush(paper);
    p.drawPath(rounded(front, 2));
    // Setting lines with a coloured mark each, the look of a settings sheet.
    const QColor marks[] = {kBadgeMp4, kBadgeMp3, kBadgeWav};
    const int rows = g.small ? 2 : 3;
    for (int i = 0; i < rows; ++i) {
        const double y = g.small ? 15 + i * 6 : 14 + i * 4.5;
        p.setPen(Qt::NoPen);
        p.setBrush(marks[i]);
        p.drawRect(QRectF(8, y - (g.small ? 1 : 1.25), g.small ? 4 : 2.5, g.small ? 2 : 2.5));
        p.setBrush(QColor(150, 166, 196));
        p.drawRect(
            QRectF(g.small ? 14 : 12, y - (g.small ? 1 : 0.5), g.small ? 4 : 7, g.small ? 2 : 1.2));
    }
}

void noteGlyph(QPainter &p, const QPointF &at, double scale, const QColor &colour)
{
    // Two beamed eighth notes; at is the top-left of a 12 x 12 box before scaling.
    p.save();
    p.translate(at);
    p.scale(scale, scale);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    QPainterPath beam;
    beam.moveTo(3.6, 1.6);
    beam.lineTo(11.4, 0);
    beam.lineTo(11.4, 2.2);
    beam.lineTo(3.6, 3.8);
    beam.closeSubpath();
    p.drawPath(beam);
    p.drawRect(QRectF(3.6, 2, 1.3, 7.6));
    p.drawRect(QRectF(10.1, 0.5, 1.3, 7.5));
    p.save();
    p.translate(2.4, 9.8);
    p.rotate(-20);
    p.drawEllipse(QPointF(0, 0), 2.5, 1.8);
    p.restore();
    p.translate(8.9, 8.3);
    p.rotate(-20);
    p.drawEllipse(QPointF(0, 0), 2.5, 1.8);
    p.restore();
}

void filmGlyph(QPainter &p, const QRectF &r, const QColor &colour, const QColor &holes)
{
    // A strip of film: solid frame with sprocket holes and a play sign in the picture.
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(r, 1.2, 1.2);
    p.setBrush(holes);
    const double hole = r.width() / 9.0;
    for (int i = 0; i < 4; ++i) {
        const double y = r.top() + r.height() * (0.12 + i * 0.22);
        p.drawRect(QRectF(r.left() + hole * 0.6, y, hole, hole * 0.9));
        p.drawRect(QRectF(r.right() - hole * 1.6, y, hole, hole * 0.9));
    }
    playTriangle(p, r.center() + QPointF(r.width() * 0.03, 0), r.height() * 0.42, holes);
}

void drawAudioGroup(QPainter &p, const Grid &g)
{
    tile(p, g, kAudioGroupTop, kAudioGroupBottom);
    if (g.small)
        noteGlyph(p, QPointF(8, 8), 1.35, Qt::white);
    else
        noteGlyph(p, QPointF(8.5, 8.5), 1.25, Qt::white);
}

void drawVideoGroup(QPainter &p, const Grid &g)
{
    tile(p, g, kVideoGroupTop, kVideoGroupBottom);
    const QRectF strip = g.small ? QRectF(8, 7, 16, 18) : QRectF(9, 8, 14, 16);
    filmGlyph(p, strip, Qt::white, kVideoGroupBottom);
}

// A picture for device screens: sky over rolling hills.
void screenScene(QPainter &p, const QRectF &screen)
{
    p.save();
    p.setClipRect(screen);
    QLinearGradient sky(0, screen.top(), 0, screen.bottom());
    sky.setColorAt(0, kScreenTop);
    sky.setColorAt(1, kScreenBottom);
    p.fillRect(screen, sky);
    QPainterPath hills;
    hills.moveTo(screen.left(), screen.bottom() - screen.height() * 0.25);
    hills.cubicTo(screen.left() + screen.width() * 0.35, screen.bottom() - screen.height() * 0.5,
                  screen.left() + screen.width() * 0.6, screen.bottom() - screen.height() * 0.05,
                  screen.right(), screen.bottom() - screen.height() * 0.35);
    hills.lineTo(screen.right(), screen.bottom());
    hills.lineTo(screen.left(), screen.bottom());
    hills.closeSubpath();
    QLinearGradient grass(0, screen.bottom() - screen.height() * 0.5, 0, screen.bottom());
    grass.setColorAt(0, QColor(130, 206, 110));
    grass.setColorAt(1, QColor(54, 140, 70));
    p.setPen(Qt::NoPen);
    p.setBrush(grass);
    p.drawPath(hills);
    // Sheen across the glass.
    QLinearGradient glass(screen.topLeft(), screen.bottomRight());
    glass.setColorAt(0, QColor(255, 255, 255, 90));
    glass.setColorAt(0.45, QColor(255, 255, 255, 0));
    p.setBrush(glass);
    p.drawRect(screen);
    p.restore();
}

void deviceBody(QPainter &p, const Grid &g, const QRectF &outer, double radius)
{
    QLinearGradient body(outer.topLeft(), outer.bottomRight());
    body.setColorAt(0, kDeviceBodyLight);
    body.setColorAt(1, kDeviceBody);
    p.setPen(QPen(QColor(34, 38, 48), g.line()));
    p.setBrush(body);
    p.drawPath(rounded(outer, radius));
}

void drawTablet(QPainter &p, const Grid &g)
{
    const double h = g.half();
    const QRectF outer(5 + h, 2 + h, 22 - 2 * h, 28 - 2 * h);
    deviceBody(p, g, outer, g.small ? 3 : 3.5);
    const QRectF screen = g.small ? QRectF(8, 6, 16, 20) : QRectF(7.5, 5.5, 17, 21);
    screenScene(p, screen);
    if (!g.small) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 34, 42));
        p.drawEllipse(QPointF(16, 3.9), 0.7, 0.7);
    }
}

void drawPhone(QPainter &p, const Grid &g)
{
    const double h = g.half();
    const QRectF outer(8 + h, 2 + h, 16 - 2 * h, 28 - 2 * h);
    deviceBody(p, g, outer, g.small ? 3 : 3.5);
    const QRectF screen = g.small ? QRectF(10, 6, 12, 20) : QRectF(10.5, 6, 11, 20.5);
    screenScene(p, screen);
    if (!g.small) {
        p.setPen(QPen(QColor(28, 32, 40), 1.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14.2, 4.2), QPointF(17.8, 4.2));
        p.setPen(QPen(QColor(150, 160, 178), 1.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14.2, 28.2), QPointF(17.8, 28.2));
    }
}

void drawPlayer(QPainter &p, const Grid &g)
{
    const double h = g.half();
    const QRectF outer(7 + h, 2 + h, 18 - 2 * h, 28 - 2 * h);
    QLinearGradient metal(outer.topLeft(), outer.bottomRight());
    metal.setColorAt(0, QColor(246, 248, 252));
    metal.setColorAt(1, QColor(176, 188, 206));
    p.setPen(QPen(g.small ? QColor(78, 90, 114) : QColor(100, 112, 134), g.line()));
    p.setBrush(metal);
    p.drawPath(rounded(outer, g.small ? 3 : 3.5));

    const QRectF screen = g.small ? QRectF(10, 5, 12, 10) : QRectF(10, 5, 12, 9.5);
    QLinearGradient lcd(0, screen.top(), 0, screen.bottom());
    lcd.setColorAt(0, kScreenTop);
    lcd.setColorAt(1, kScreenBottom);
    p.setPen(g.small ? Qt::NoPen : QPen(QColor(70, 84, 110), 0.8));
    p.setBrush(lcd);
    p.drawRect(screen);
    if (!g.small)
        noteGlyph(p, QPointF(12.6, 6.2), 0.58, Qt::white);

    // A round control pad: ring of buttons with a centre key.
    const QPointF pad(16, g.small ? 22 : 21.5);
    const double ring = g.small ? 5 : 5.4;
    QLinearGradient padFill(0, pad.y() - ring, 0, pad.y() + ring);
    padFill.setColorAt(0, QColor(226, 232, 242));
    padFill.setColorAt(1, QColor(150, 162, 184));
    p.setPen(QPen(g.small ? QColor(84, 96, 120) : QColor(110, 122, 146), g.small ? 1.6 : 0.9));
    p.setBrush(padFill);
    p.drawEllipse(pad, ring, ring);
    p.setBrush(QColor(246, 248, 252));
    p.drawEllipse(pad, ring * 0.42, ring * 0.42);
    if (!g.small) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(84, 96, 120));
        const double d = ring * 0.72;
        p.drawEllipse(pad + QPointF(0, -d), 0.55, 0.55);
        playTriangle(p, pad + QPointF(0, d), 1.4, QColor(84, 96, 120));
        p.drawRect(QRectF(pad.x() - d - 0.6, pad.y() - 0.7, 0.5, 1.4));
        p.drawRect(QRectF(pad.x() + d + 0.1, pad.y() - 0.7, 0.5, 1.4));
    }
}

void drawTvBox(QPainter &p, const Grid &g)
{
    const double h = g.half();
    // Widescreen display on a stand, with a small media box in front of it.
    const QRectF frame(1 + h, 4 + h, 30 - 2 * h, 19 - 2 * h);
    deviceBody(p, g, frame, 2);
    const QRectF screen = g.small ? QRectF(4, 7, 24, 13) : QRectF(3.5, 6.5, 25, 14);
    screenScene(p, screen);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 78, 94));
    p.drawRect(QRectF(13, 23, 6, 3));
    p.setBrush(QColor(96, 106, 124));
    p.drawRoundedRect(QRectF(9, 25, 14, 2), 1, 1);

    const QRectF box = g.small ? QRectF(18, 24, 14, 8) : QRectF(19.5, 24.5, 11, 6);
    QLinearGradient boxFill(0, box.top(), 0, box.bottom());
    boxFill.setColorAt(0, QColor(70, 76, 90));
    boxFill.setColorAt(1, QColor(24, 26, 32));
    p.setPen(QPen(QColor(12, 14, 18), g.line()));
    p.setBrush(boxFill);
    p.drawPath(rounded(box.adjusted(h, h, -h, -h), g.small ? 2 : 1.8));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 230, 140));
    p.drawEllipse(QPointF(box.right() - (g.small ? 4 : 2.6), box.center().y()), g.small ? 1 : 0.7,
                  g.small ? 1 : 0.7);
}

// Document with a folded corner, a type glyph and a coloured badge naming the type.
void document(QPainter &p, const Grid &g, const QColor &badge, const QString &label, bool audio)
{
    const double h = g.half();
    const double left = 6 + h, right = 26 - h, top = 2 + h, bottom = 30 - h;
    const double fold = g.small ? 8 : 7;
    QPainterPath page;
    page.moveTo(left, top);
    page.lineTo(right - fold, top);
    page.lineTo(right, top + fold);
    page.lineTo(right, bottom);
    page.lineTo(left, bottom);
    page.closeSubpath();
    QLinearGradient paper(0, top, 0, bottom);
    paper.setColorAt(0, Qt::white);
    paper.setColorAt(1, QColor(226, 234, 246));
    p.setPen(QPen(QColor(120, 136, 166), g.line(), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(paper);
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(right - fold, top);
    corner.lineTo(right - fold, top + fold);
    corner.lineTo(right, top + fold);
    p.setBrush(QColor(206, 218, 238));
    p.drawPath(corner);

    const QColor glyph = badge.darker(115);
    if (audio)
        noteGlyph(p, g.small ? QPointF(9, 6) : QPointF(10, 5.5), g.small ? 0.95 : 0.95, glyph);
    else
        filmGlyph(p, g.small ? QRectF(10, 5, 10, 11) : QRectF(10.5, 5, 9.5, 11), glyph, Qt::white);

    const QRectF band = g.small ? QRectF(2, 18, 24, 10) : QRectF(2, 17.5, 22, 10);
    QLinearGradient fill(0, band.top(), 0, band.bottom());
    fill.setColorAt(0, badge.lighter(118));
    fill.setColorAt(1, badge.darker(112));
    p.setPen(g.small ? Qt::NoPen : QPen(badge.darker(140), 0.8));
    p.setBrush(fill);
    p.drawRoundedRect(band, 1.5, 1.5);
    if (g.small)
        return;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(8);
    font.setBold(true);
    font.setStretch(QFont::SemiCondensed);
    font.setHintingPreference(QFont::PreferFullHinting);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(band.adjusted(0, 0, 0, -0.5), Qt::AlignCenter, label);
}

void drawM4a(QPainter &p, const Grid &g)
{
    document(p, g, kBadgeM4a, QStringLiteral("M4A"), true);
}
void drawMov(QPainter &p, const Grid &g)
{
    document(p, g, kBadgeMov, QStringLiteral("MOV"), false);
}
void drawMp3(QPainter &p, const Grid &g)
{
    document(p, g, kBadgeMp3, QStringLiteral("MP3"), true);
}
void drawMp4(QPainter &p, const Grid &g)
{
    document(p, g, kBadgeMp4, QStringLiteral("MP4"), false);
}
void drawWav(QPainter &p, const Grid &g)
{
    document(p, g, kBadgeWav, QStringLiteral("WAV"), true);
}

void writeIcon(ArtWriter &w, int id, IconDrawing draw)
{
    for (const int size : {16, 32}) {
        const Grid grid{size == 16};
        w.translucent(QStringLiteral("icon/%1/%2").arg(size).arg(id), QSize(size, size),
                      [draw, grid, size](QPainter &p) {
                          p.scale(size / 32.0, size / 32.0);
                          draw(p, grid);
                      });
    }
}

} // namespace

void DrawApplicationIcon(QPainter &painter, double side)
{
    painter.save();
    painter.scale(side / 32.0, side / 32.0);
    drawApplication(painter, Grid{false});
    painter.restore();
}

void WriteIconArt(ArtWriter &writer)
{
    writeIcon(writer, 128, drawApplication);
    writeIcon(writer, 290, drawOtherProfiles);
    writeIcon(writer, 307, drawTablet);
    writeIcon(writer, 308, drawM4a);
    writeIcon(writer, 309, drawMov);
    writeIcon(writer, 310, drawMp3);
    writeIcon(writer, 311, drawMp4);
    writeIcon(writer, 312, drawWav);
    writeIcon(writer, 313, drawVideoGroup);
    writeIcon(writer, 314, drawAudioGroup);
    writeIcon(writer, 345, drawPlayer);
    writeIcon(writer, 347, drawTvBox);
    writeIcon(writer, 348, drawPhone);
}

} // namespace quillet::art
