// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QPainter;

namespace quillet::art {

class ArtWriter;

/// The thirteen icons of the profile picker at 16 and 32 pixels: 128 application, 290 other
/// profiles, 313 video group, 314 audio group, 307 tablet, 348 phone, 345 music player, 347 TV
/// box, and the file types 308 M4A, 309 MOV, 310 MP3, 311 MP4, 312 WAV.
void WriteIconArt(ArtWriter &writer);

/// The application icon drawn into a square of the given side at the painter's origin; the
/// banner reuses it.
void DrawApplicationIcon(QPainter &painter, double side);

} // namespace quillet::art
