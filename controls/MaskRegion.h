// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QRegion>

namespace quillet {

/// The shape a mask picture describes: every pixel that is not pure white belongs to it. Each
/// row's runs of such pixels become one-pixel-high rectangles, and the shape is their union.
QRegion RegionFromMask(const QImage &mask);

/// The mask as an alpha channel for blending a face through it: black is opaque, white fully
/// transparent, greys of a smoothed edge in between.
QImage AlphaFromMask(const QImage &mask);

} // namespace quillet
