// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

extern "C" {
#include <libavutil/rational.h>
}

#include <cstdint>
#include <string>
#include <vector>

namespace dolmar {

/// The rules a frame rate must meet before an encoder is opened: what an H.264 level allows,
/// the rates a disc format knows, and the rate a source with irregular timing really shows.
/// Plain functions of plain values, so each rule is tested without a file.
namespace frame_rate {

/// Macroblocks per second an H.264 level allows (its MaxMBPS): "31", "3.1", "1b"; 0 when the
/// level is unknown.
int64_t LevelMacroblockRate(const std::string &level);

/// Brings rate within most: the rate divided by the smallest whole number that fits (60 to 30,
/// 50 to 25, 59.94 to 29.97, 120 to 30), so frames are dropped evenly and motion keeps its
/// cadence. most 0: no limit.
AVRational Within(AVRational rate, double most);

/// The disc formats whose players take a fixed list of rates.
enum class Disc {
    None,
    HdDisc, ///< Blu-ray and AVCHD transport streams (.m2ts, .mts)
    Dvd, ///< DVD-Video programme streams (-f dvd, .vob)
    VideoCd, ///< VCD and SVCD
};

/// The rates a disc takes for a frame of height lines (square pixels or not): Blu-ray and
/// AVCHD 23.976, 24, 25 and 29.97 at 1080 lines (the 25 and 29.97 ones as field pairs), 23.976,
/// 24, 50 and 59.94 at 720, 29.97 at 480 and 25 at 576; DVD and (S)VCD 25 for 576 and 288
/// lines, 29.97 for 480 and 240. Empty for Disc::None.
std::vector<AVRational> DiscRates(Disc disc, int height);

/// The rate of allowed that shows rate best: one that a whole number of source frames makes up
/// (60 -> 29.97 by dropping every other frame, 50 -> 25), else one that is a whole number of
/// repeats of each source frame (25 -> 50, 15 -> 29.97), else the nearest by ratio. Rates within
/// 0.2 % of each other count as the same (30 and 29.97). rate itself when allowed is empty.
AVRational NearestAllowed(AVRational rate, const std::vector<AVRational> &allowed);

/// The usual rate a measured one stands for (29.97 for 29.968), or the measure itself to the
/// millisecond when no usual rate is within 0.5 %.
AVRational Usual(double frames_per_second);

/**
 * The highest rate the pictures keep up for most of a second, from their presentation times
 * in seconds (any order): of every second, the typical (median) time between pictures; the
 * shortest of those gives the rate. A phone clip that switches between 30, 15 and 24 frames is
 * 30; a burst of a few pictures is no rate. 0/1 when the times cover less than a second.
 */
AVRational Sustained(std::vector<double> times_s);

} // namespace frame_rate

} // namespace dolmar
