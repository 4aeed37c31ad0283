// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

/**
 * How low and how high a planned video rate may go. Rates are counted in bits per pixel of each
 * picture (kbit/s x 1000 / (width x height x frames a second)), so one rule serves a phone clip
 * and a Blu-ray film; each codec family has its own figures, as their efficiency differs.
 */
namespace quillet::sizing {

struct OutputShape;

/**
 * Bits per pixel of a codec family:
 *   lowest   the lowest quality a profile allows: below it blocks and smearing take over, and the
 *            MPEG-style encoders cannot even get there (at their coarsest quantiser a 640x360
 *            moving picture still takes about 0.08 bits per pixel in MPEG-2 and MPEG-4 Part 2,
 *            measured on this engine)
 *   typical  what a constant-quality encode at the encoder's default quality takes on ordinary
 *            film: the guess shown until a sample encode has measured the source
 *   ceiling  past it more bits buy nothing visible; caps a quality-based task that a plan gives
 *            a rate
 */
struct CodecBudget
{
    std::string_view family;
    double lowest_bpp;
    double typical_bpp;
    double ceiling_bpp;
};

/// The figures for an encoder as a profile names it (h264, x264, mpeg4, divx, mpeg2video ...);
/// an encoder of no known family gets MPEG-4 Part 2's.
const CodecBudget &CodecBudgetOf(std::string_view codec);

/// The video rates a task may be planned at, in kbit/s.
struct RateLimits
{
    double lowest_kbps = 0;
    double highest_kbps = 0; ///< 0 = no limit
};

/**
 * The limits of an output's video: the lowest from its codec's lowest bits per pixel (at least
 * kLowestKbpsFloor); the highest the device's ceiling. The lowest never exceeds the highest.
 */
RateLimits LimitsOf(const OutputShape &shape);

/// A kbit/s rate for bits per pixel of the shape's picture; 0 when the picture is unknown.
double KbpsForBitsPerPixel(const OutputShape &shape, double bits_per_pixel);

/// The lowest planned rate whatever the picture: a tiny picture still needs its headers.
inline constexpr double kLowestKbpsFloor = 32;

/**
 * The most an H.264 level allows (the level as "31", "3.1", "1b"; the profile as -vprofile
 * names it: high, high10 ... take more). 0 for a level this table does not know.
 */
double H264LevelCeilingKbps(std::string_view level, std::string_view profile);

} // namespace quillet::sizing
