// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Texts.h"

#include <cstdint>
#include <string>

/**
 * Telling an output that the engine stopped at its -fs size limit, before the end of its source,
 * from a whole one. The engine reports success either way (docs/engine-options.md), so the driver
 * asks this rule after every run that had a limit; a cut output keeps its part of the film under
 * a name that says so, never under the final name alone.
 */
namespace quillet::sizing {

/// What the driver knows of a finished output.
struct OutputFacts
{
    double source_s = 0; ///< what the run was asked to convert: EffectiveDurationS, or a merged
                         ///< run's sum
    double kept_s = 0; ///< the output's own length, probed
    int64_t size_bytes = 0; ///< the output file's size
    int64_t limit_kib = 0; ///< the -fs value the run was given; 0 = none
    double frame_rate = 0; ///< the output's pictures a second; 0 for sound alone
};

/**
 * How much shorter than its source a whole output may be: at least kCutToleranceS, two pictures,
 * or kCutToleranceShare of the source, whichever is most. Codec delay and padding, the last
 * picture's length and a frame-rate change make whole outputs differ from their sources by a
 * picture or two and a few hundredths of a second of sound.
 */
double CutToleranceS(double source_s, double frame_rate);

inline constexpr double kCutToleranceS = 0.5;
inline constexpr double kCutToleranceShare = 0.005;
/// A cut output stops within one packet and the trailer's estimate of its limit: it holds at least
/// this share of the limit. A whole output much smaller than its limit cannot have been stopped
/// by it, whatever its length says (a source whose stated length is only an estimate, frames
/// with damaged timestamps that the engine left out).
inline constexpr double kCutNearLimitShare = 0.5;

/**
 * Whether the output was cut short by its size limit: a limit was given, the output holds at
 * least kCutNearLimitShare of it, and it is shorter than its source by more than the tolerance.
 */
bool IsCut(const OutputFacts &facts);

/**
 * The name a cut output is kept under: " (cut)" before the extension of the file name ("clip
 * (2).avi" becomes "clip (2) (cut).avi"; a name without an extension, or one whose only dot
 * starts it, gets " (cut)" at its end). Numbered like any other output when that name is taken:
 * n = 1, 2 ... gives "clip (cut) (1).avi" ...
 */
std::string CutOutputPath(const std::string &final_path, unsigned n = 0);

/// The task's result text: "cut at 1.0 MB: 2.0 s of 12.0 s", in the user's language.
std::string CutText(const Texts &texts, const OutputFacts &facts);

} // namespace quillet::sizing
