// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/OutputShape.h"

#include <string>

/**
 * The size model: the bytes an output will have, from its parts. Each stream brings its rate times
 * the output's length (a copied stream its measured rate, an absent one nothing), subtitle streams
 * their bytes, and the container what the measured table (ContainerOverhead.h) says it adds. For
 * an output whose rates are all fixed this is the size to expect; where a part is quality-based
 * it holds that part's guess and says so (Exact() is false) until a sample encode
 * (SampleEstimator.h) has measured the source.
 */
namespace quillet::sizing {

/// An output's expected bytes, part by part.
struct SizeBreakdown
{
    double video_bytes = 0;
    double audio_bytes = 0;
    double subtitle_bytes = 0;
    double overhead_bytes = 0;
    bool exact = true; ///< false when a quality-based part's rate is only a guess

    double Total() const { return video_bytes + audio_bytes + subtitle_bytes + overhead_bytes; }
};

/// The bytes shape will come to.
SizeBreakdown EstimateSize(const OutputShape &shape);

/// shape with its video made at a fixed rate of kbps (as a plan writes it with -b).
OutputShape WithVideoKbps(OutputShape shape, double kbps);

/**
 * The video rate in kbit/s at which shape comes to total_bytes: the inverse of EstimateSize.
 * Below 0 when the other parts alone take more; 0 for a shape without video or without length.
 */
double VideoKbpsForSize(const OutputShape &shape, double total_bytes);

/// Bytes of a megabyte as the task list's Estimated Size column counts it.
inline constexpr double kListMegabyteBytes = 1048576.0;

/// Bytes of a megabyte as the split list counts it: 1000 KiB (the Custom size times 1000 is the
/// engine's -fs in KiB, and DVD-5's 4200000 KiB is its 4200 MB).
inline constexpr double kSplitMegabyteBytes = 1024000.0;

/// A size as a user reads it in plans and results, in the split list's unit: "850.0 MB",
/// "4.2 GB" (from 1000 MB on).
std::string FormatSplitSize(double bytes);

} // namespace quillet::sizing
