// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureArt.h"

#include "ArtPalette.h"
#include "ArtWriter.h"
#include "IconArt.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace quillet::art {

namespace {

constexpr QSize kBannerSize{411, 50};
constexpr QSize kEmptyListSize{300, 170};

void drawRibbons(QPainter &p, const QRectF &area)
{
    // Long sweeping curves: movement, without competing with the name.
    const struct
    {
        double y0, c1, c2, y1, width;
        int alpha;
    } ribbons[] = {
        {0.95, 0.55, 0.10, 0.20, 10, 60},
        {1.05, 0.75, 0.30, 0.45, 6, 80},
        {0.80, 0.95, 0.05, 0.05, 3, 110},
    };
    for (const auto &r : ribbons) {
        QPainterPath path;
        path.moveTo(area.left() + area.width() * 0.30, area.top() + area.height() * r.y0);
        path.cubicTo(area.left() + area.width() * 0.55, area.top() + area.height() * r.c1,
                     area.left() + area.width() * 0.75, area.top() + area.height() * r.c2,
                     area.right(), area.top() + area.height() * r.y1);
        QLinearGradient fade(area.left() + area.width() * 0.3, 0, area.right(), 0);
        fade.setColorAt(0, QColor(255, 255, 255, 0));
        fade.setColorAt(0.5, QColor(255, 255, 255, r.alpha));
        fade.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(QPen(QBrush(fade), r.width, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }
}

void drawBanner(QPainter &p)
{
    const QRectF area(0, 0, kBannerSize.width(), kBannerSize.height());
    p.fillRect(area, kDialogBackground);
    // A light glow behind the mark and the name that fades out before every edge, so the
    // banner melts into the dialog around it.
    QRadialGradient glow(QPointF(0, 0), 1.0);
    glow.setColorAt(0, QColor(255, 255, 255, 210));
    glow.setColorAt(0.6, QColor(255, 255, 255, 90));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.save();
    p.translate(130, 25);
    p.scale(130, 25);
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(0, 0), 1.0, 1.0);
    p.restore();
    drawRibbons(p, area);

    p.save();
    p.translate(6, 5);
    DrawApplicationIcon(p, 40);
    p.restore();

    QFont name(QStringLiteral("DejaVu Sans"));
    name.setPixelSize(25);
    name.setBold(true);
    name.setLetterSpacing(QFont::AbsoluteSpacing, 0.4);
    QPainterPath word;
    word.addText(QPointF(54, 29), name, QStringLiteral("Quillet"));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawPath(word.translated(0, 1)); // engraved highlight under the letters
    QLinearGradient ink(0, 10, 0, 30);
    ink.setColorAt(0, QColor(58, 108, 196));
    ink.setColorAt(1, kInk);
    p.setBrush(ink);
    p.drawPath(word);
    // The line under the name is text in the user's language: the main window writes it over
    // the picture (SkinResources::BannerWithTagline), so the picture leaves that band empty.
}

void drawEmptyList(QPainter &p)
{
    const QRectF area(0, 0, kEmptyListSize.width(), kEmptyListSize.height());
    p.fillRect(area, kDialogBackground);

    // Drop zone: a dashed rounded frame on a slightly lighter field.
    const QRectF zone = area.adjusted(10.5, 10.5, -10.5, -10.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(232, 241, 255));
    p.drawRoundedRect(zone, 14, 14);
    QPen dash(QColor(150, 178, 222), 2.0, Qt::CustomDashLine, Qt::RoundCap);
    dash.setDashPattern({4, 3});
    p.setPen(dash);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(zone, 14, 14);

    // Tray the files drop into.
    const double cx = area.width() / 2;
    QPainterPath tray;
    tray.moveTo(cx - 62, 104);
    tray.lineTo(cx - 40, 104);
    tray.lineTo(cx - 32, 116);
    tray.lineTo(cx + 32, 116);
    tray.lineTo(cx + 40, 104);
    tray.lineTo(cx + 62, 104);
    tray.lineTo(cx + 56, 140);
    tray.lineTo(cx - 56, 140);
    tray.closeSubpath();
    QLinearGradient trayFill(0, 104, 0, 140);
    trayFill.setColorAt(0, QColor(188, 210, 244));
    trayFill.setColorAt(1, QColor(140, 172, 224));
    p.setPen(QPen(QColor(96, 128, 182), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(trayFill);
    p.drawPath(tray);

    // Media floating above the tray: a film frame and a note sheet, slightly turned.
    p.save();
    p.translate(cx - 58, 38);
    p.rotate(-10);
    QLinearGradient film(0, 0, 0, 44);
    film.setColorAt(0, QColor(84, 118, 184));
    film.setColorAt(1, QColor(40, 64, 116));
    p.setPen(QPen(QColor(30, 48, 90), 1.5));
    p.setBrush(film);
    p.drawRoundedRect(QRectF(0, 0, 40, 44), 4, 4);
    p.setPen(Qt::NoPen);
    QLinearGradient sky(0, 8, 0, 36);
    sky.setColorAt(0, kScreenTop);
    sky.setColorAt(1, kScreenBottom);
    p.setBrush(sky);
    p.drawRect(QRectF(8, 8, 24, 28));
    p.setBrush(QColor(232, 240, 252));
    for (int i = 0; i < 5; ++i) {
        p.drawRect(QRectF(2.5, 4 + i * 8, 3, 4));
        p.drawRect(QRectF(34.5, 4 + i * 8, 3, 4));
    }
    QPolygonF play;
    play << QPointF(16, 15) << QPointF(26, 22) << QPointF(16, 29);
    p.setBrush(Qt::white);
    p.drawPolygon(play);
    p.restore();

    p.save();
    p.translate(cx + 20, 32);
    p.rotate(12);
    p.setPen(QPen(QColor(196, 110, 30), 1.5));
    QLinearGradient sheet(0, 0, 0, 46);
    sheet.setColorAt(0, QColor(255, 196, 112));
    sheet.setColorAt(1, QColor(232, 128, 40));
    p.setBrush(sheet);
    p.drawRoundedRect(QRectF(0, 0, 40, 44), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(16, 10, 3, 20));
    p.drawRect(QRectF(28, 7, 3, 20));
    QPolygonF beam;
    beam << QPointF(16, 10) << QPointF(31, 7) << QPointF(31, 11) << QPointF(16, 14);
    p.drawPolygon(beam);
    p.drawEllipse(QPointF(13.5, 30.5), 5, 3.8);
    p.drawEllipse(QPointF(25.5, 27.5), 5, 3.8);
    p.restore();

    // The arrow into the tray, with a plus badge: "add here".
    QPainterPath arrow;
    arrow.moveTo(cx - 9, 50);
    arrow.lineTo(cx + 9, 50);
    arrow.lineTo(cx + 9, 84);
    arrow.lineTo(cx + 21, 84);
    arrow.lineTo(cx, 108);
    arrow.lineTo(cx - 21, 84);
    arrow.lineTo(cx - 9, 84);
    arrow.closeSubpath();
    QLinearGradient arrowFill(0, 50, 0, 108);
    arrowFill.setColorAt(0, kSkyBlue);
    arrowFill.setColorAt(1, kDeepBlue);
    p.setPen(QPen(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(arrowFill);
    p.drawPath(arrow);

    const QPointF badge(cx + 38, 126);
    QLinearGradient green(0, badge.y() - 14, 0, badge.y() + 14);
    green.setColorAt(0, QColor(120, 212, 98));
    green.setColorAt(1, QColor(40, 140, 50));
    p.setPen(QPen(Qt::white, 2.5));
    p.setBrush(green);
    p.drawEllipse(badge, 13, 13);
    p.setPen(QPen(Qt::white, 4.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(badge + QPointF(-6, 0), badge + QPointF(6, 0));
    p.drawLine(badge + QPointF(0, -6), badge + QPointF(0, 6));
}

} // namespace

void WritePictureArt(ArtWriter &writer)
{
    writer.opaque(QStringLiteral("bmp/banner"), kBannerSize, kDialogBackground, drawBanner);
    writer.opaque(QStringLiteral("bmp/emptylist"), kEmptyListSize, kDialogBackground,
                  drawEmptyList);
}

} // namespace quillet::art
