// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillet::art {

class ArtWriter;

/// The main window's banner (bmp/banner, 411 x 50: the banner control's 235 x 31 dialog units
/// in the dialog font) and the picture of the empty task list (bmp/emptylist).
void WritePictureArt(ArtWriter &writer);

} // namespace quillet::art
