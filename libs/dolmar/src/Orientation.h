// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct AVStream;

namespace dolmar {

class FilterChain;

/// How a stored picture is turned to show upright. Phones store the sensor's picture as it came
/// and put a display matrix beside it; the probe, the size rules and the filters all work on the
/// upright picture, so the output shows as the source did without needing a matrix of its own.
namespace orientation {

/// The clockwise turn, in degrees (0, 90, 180 or 270), that shows stream's pictures upright.
/// Matrices that are not a quarter turn (mirrors, small angles) count as 0.
int UprightTurn(const AVStream *stream);

/// Turns by a quarter (90 or 270 degrees) swap the picture's width and height.
inline bool SwapsSides(int turn)
{
    return turn == 90 || turn == 270;
}

/// Appends the filters that turn a stored picture upright (nothing for 0).
void AddTurn(FilterChain &chain, int turn);

} // namespace orientation

} // namespace dolmar
