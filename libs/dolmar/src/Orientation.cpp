// SPDX-License-Identifier: GPL-3.0-or-later
#include "Orientation.h"

#include "FilterChain.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

#include <cmath>

namespace dolmar::orientation {

int UprightTurn(const AVStream *stream)
{
    if (!stream)
        return 0;
    const auto *matrix = reinterpret_cast<const int32_t *>(
        av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
    if (!matrix)
        return 0;
    // av_display_rotation_get counts counter-clockwise; the picture is turned the other way.
    const double angle = av_display_rotation_get(matrix);
    if (std::isnan(angle))
        return 0;
    long turn = -std::lround(angle) % 360;
    if (turn < 0)
        turn += 360;
    switch (turn) {
    case 90:
    case 180:
    case 270:
        return static_cast<int>(turn);
    default:
        return 0;
    }
}

void AddTurn(FilterChain &chain, int turn)
{
    switch (turn) {
    case 90:
        chain.Add("transpose", {{"dir", "clock"}});
        break;
    case 180:
        chain.Add("hflip");
        chain.Add("vflip");
        break;
    case 270:
        chain.Add("transpose", {{"dir", "cclock"}});
        break;
    default:
        break;
    }
}

} // namespace dolmar::orientation
