// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

extern "C" {
#include <libavutil/frame.h>
}

#include <optional>

namespace dolmar {

/// What CombDetector weighs of a picture between its neighbours, summed over the samples that
/// move: how far each sampled row stands out from the rows of the other field around it, and how
/// far it would if the same row of the picture before or after stood in its place, by field.
struct CombSums
{
    long self = 0;
    long prev_top = 0; ///< the picture before: its top field's rows among ours
    long prev_bottom = 0;
    long next_top = 0;
    long next_bottom = 0;
    long top_rows = 0; ///< moving samples on the top field's rows
    long bottom_rows = 0;
    long moving = 0;
    long samples = 0; ///< all samples looked at
    bool has_prev = false;
    bool has_next = false;

    bool operator==(const CombSums &) const = default;
};

/// How samples are read: straight from planes of plain bytes, many at once where the processor
/// can, or copied one by one into 8-bit steps, which reads every format and is the reference.
enum class SampleReading { Direct, Copied };

/// The sums of cur against prev and next; either neighbour may be null (or of another size,
/// which counts as null). Nothing when cur cannot be read or has no neighbour to weigh it by.
std::optional<CombSums> MeasureComb(const AVFrame *prev, const AVFrame *cur, const AVFrame *next,
                                    SampleReading reading = SampleReading::Direct);

} // namespace dolmar
