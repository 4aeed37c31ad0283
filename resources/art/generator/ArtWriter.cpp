// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArtWriter.h"

#include "ArtPalette.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace quillet::art {

namespace {

// Alpha below which a leading-picture pixel becomes the key colour. Lower values keep faint
// halos that show as a light rim on the darker pressed face.
constexpr int kKeyAlphaThreshold = 110;

QImage flattenToKey(const QImage &argb)
{
    QImage out(argb.size(), QImage::Format_RGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        auto *dst = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = src[x]; // premultiplied
            const int a = qAlpha(p);
            if (a < kKeyAlphaThreshold) {
                dst[x] = kKeyColour.rgb();
                continue;
            }
            const int inv = 255 - a;
            const int r = qRed(p) + (kLeadingMatte.red() * inv + 127) / 255;
            const int g = qGreen(p) + (kLeadingMatte.green() * inv + 127) / 255;
            const int b = qBlue(p) + (kLeadingMatte.blue() * inv + 127) / 255;
            QRgb c = qRgb(std::min(r, 255), std::min(g, 255), std::min(b, 255));
            // A drawn pixel must never read as the key colour by accident.
            if (c == kKeyColour.rgb())
                c = qRgb(254, 0, 254);
            dst[x] = c;
        }
    }
    return out;
}

} // namespace

ArtWriter::ArtWriter(const QDir &artDir)
    : m_dir(artDir)
{ }

void ArtWriter::opaque(const QString &name, QSize size, const QColor &fill, const Drawing &draw)
{
    render(name, size, Kind::Opaque, fill, draw);
}

void ArtWriter::mask(const QString &name, QSize size, const Drawing &draw)
{
    render(name, size, Kind::Mask, Qt::white, draw);
}

void ArtWriter::keyed(const QString &name, QSize size, const Drawing &draw)
{
    render(name, size, Kind::Keyed, Qt::transparent, draw);
}

void ArtWriter::translucent(const QString &name, QSize size, const Drawing &draw)
{
    render(name, size, Kind::Translucent, Qt::transparent, draw);
}

void ArtWriter::exact(const QString &name, QSize size, const Drawing &draw)
{
    render(name, size, Kind::Translucent, Qt::transparent, draw, false);
}

void ArtWriter::text(const QString &relativePath, const QString &content)
{
    const QString path = m_dir.filePath(relativePath);
    m_dir.mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(content.toUtf8()) != content.toUtf8().size() || !file.flush()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ++m_failures;
    }
}

void ArtWriter::render(const QString &name, QSize size, Kind kind, const QColor &fill,
                       const Drawing &draw, bool twin)
{
    for (const int scale : {1, 2}) {
        if (scale == 2 && !twin)
            break;
        QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
        image.fill(fill);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.setRenderHint(QPainter::TextAntialiasing);
            painter.scale(scale, scale);
            draw(painter);
        }
        QImage out;
        switch (kind) {
        case Kind::Opaque:
        case Kind::Mask:
            out = image.convertToFormat(QImage::Format_RGB32);
            break;
        case Kind::Keyed:
            out = flattenToKey(image);
            break;
        case Kind::Translucent:
            out = image.convertToFormat(QImage::Format_ARGB32);
            break;
        }
        save(out, scale == 1 ? name + QStringLiteral(".png") : name + QStringLiteral("@2x.png"));
    }
}

void ArtWriter::save(const QImage &image, const QString &relativePath)
{
    const QString path = m_dir.filePath(relativePath);
    m_dir.mkpath(QFileInfo(path).path());
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ++m_failures;
        return;
    }
    m_files.append(relativePath);
}

bool ArtWriter::writeResourceList(const QString &fileName) const
{
    QFile file(m_dir.filePath(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QStringList files = m_files;
    files.sort();
    QTextStream out(&file);
    out << "<!DOCTYPE RCC>\n<!-- SPDX-License-Identifier: GPL-3.0-or-later -->\n"
        << "<!-- Written by quillet-artgen; run the regenerate-art target. -->\n"
        << "<RCC version=\"1.0\">\n<qresource prefix=\"/\">\n";
    for (const QString &f : files)
        out << "    <file>" << f << "</file>\n";
    out << "</qresource>\n</RCC>\n";
    out.flush();
    return file.error() == QFileDevice::NoError;
}

} // namespace quillet::art
