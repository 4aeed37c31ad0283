// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QRect>

namespace subtitles_test {

/// Where two pictures of the same size differ by more than threshold in some colour.
struct Difference
{
    int changed = 0; ///< pixels that differ
    int yellow = 0; ///< of those, pixels that are yellow in the first picture
    int white = 0; ///< of those, pixels that are white (or nearly) in the first picture
    QRect bounds; ///< bounding rectangle of the changed pixels
};

Difference Compare(const QImage &with, const QImage &without, int threshold = 60);

} // namespace subtitles_test
