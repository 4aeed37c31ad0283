// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QPainter;

namespace quillet::art {

class ArtWriter;

/// The program's icon for the desktop (a quill over a film strip on the window's blue tile):
/// hicolor/<n>x<n>/apps/quillet.png at the theme's sizes from 16 to 256 pixels and
/// hicolor/scalable/apps/quillet.svg, all from one list of shapes, so the PNGs and the SVG
/// are the same picture.
void WriteProgramIconArt(ArtWriter &writer);

/// The icon as SVG text; small drops the details a 16 to 24 pixel picture cannot show.
QString ProgramIconSvg(bool small = false);

/// Paints the icon into a square of the given side at the painter's origin.
void PaintProgramIcon(QPainter &painter, double side);

} // namespace quillet::art
