// SPDX-License-Identifier: GPL-3.0-or-later
#include "MaskRegion.h"

#include <QList>
#include <QRect>

namespace quillet {

QRegion RegionFromMask(const QImage &mask)
{
    if (mask.isNull())
        return {};
    const QImage rgb = mask.convertToFormat(QImage::Format_RGB32);
    QList<QRect> runs;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        int x = 0;
        while (x < rgb.width()) {
            while (x < rgb.width() && (line[x] & 0xFFFFFF) == 0xFFFFFF)
                ++x;
            const int start = x;
            while (x < rgb.width() && (line[x] & 0xFFFFFF) != 0xFFFFFF)
                ++x;
            if (x > start)
                runs.append(QRect(start, y, x - start, 1));
        }
    }
    QRegion region;
    for (const QRect &run : runs)
        region += run;
    return region;
}

QImage AlphaFromMask(const QImage &mask)
{
    if (mask.isNull())
        return {};
    const QImage grey = mask.convertToFormat(QImage::Format_Grayscale8);
    QImage alpha(grey.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *src = grey.constScanLine(y);
        auto *dst = reinterpret_cast<QRgb *>(alpha.scanLine(y));
        for (int x = 0; x < grey.width(); ++x)
            dst[x] = qRgba(0, 0, 0, 255 - src[x]);
    }
    return alpha;
}

} // namespace quillet
