// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImageCompare.h"

#include <cstdlib>

namespace subtitles_test {

Difference Compare(const QImage &with, const QImage &without, int threshold)
{
    Difference d;
    if (with.size() != without.size())
        return d;
    const QImage a = with.convertToFormat(QImage::Format_RGB888);
    const QImage b = without.convertToFormat(QImage::Format_RGB888);
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) <= threshold
                && std::abs(qGreen(p) - qGreen(q)) <= threshold
                && std::abs(qBlue(p) - qBlue(q)) <= threshold)
                continue;
            ++d.changed;
            d.bounds |= QRect(x, y, 1, 1);
            if (qRed(p) > 190 && qGreen(p) > 190 && qBlue(p) < 90)
                ++d.yellow;
            if (qRed(p) > 190 && qGreen(p) > 190 && qBlue(p) > 190)
                ++d.white;
        }
    }
    return d;
}

} // namespace subtitles_test
