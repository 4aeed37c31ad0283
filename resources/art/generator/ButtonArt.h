// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillet::art {

class ArtWriter;

/// The dialog text button set (faces 266, 267, 269 and mask 268) and the two round picture
/// button sets of the main window (253-256 check for update, 257-260 settings).
void WriteButtonArt(ArtWriter &writer);

} // namespace quillet::art
