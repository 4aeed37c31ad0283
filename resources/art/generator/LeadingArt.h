// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillet::art {

class ArtWriter;

/// The small pictures drawn left of a button caption (272-277), 16 x 16 with magenta as the key
/// colour: 272 add files, 273 stop (converting), 274 start converting, 275 open folder, 276 disc,
/// 277 options.
void WriteLeadingArt(ArtWriter &writer);

} // namespace quillet::art
