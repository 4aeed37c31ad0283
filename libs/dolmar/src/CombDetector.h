// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AvOwners.h"

namespace dolmar {

/// Tells, picture by picture, whether a picture of a stream that does not state its scanning is
/// two fields from different moments woven together, and which field came first. VideoFilter
/// marks the pictures so, and its deinterlacer touches only those: progressive pictures pass
/// untouched, however sharp.
///
/// A woven picture fits itself no better than its fields fit those of the pictures beside it,
/// and its fields fit one neighbour's better than the other's (the earlier field leans to the
/// picture before, the later to the one after). A progressive picture fits itself far better
/// than any mix with its neighbours, and whatever mix there is fits both neighbours alike. Only
/// pixels that move are looked at, so a still pattern of fine lines decides nothing; the bar for
/// "moving" rises with the source's noise. Film telecined to 29.97 shows its two woven pictures
/// of five, and its clean ones pass.
class CombDetector
{
public:
    struct Verdict
    {
        bool combed = false;
        bool top_first = true; ///< of a combed picture: the top field was shown first
    };

    /// Takes the next picture (a new reference is kept) and returns the one before it, its
    /// interlaced_frame and top_field_first set from what it shows; null while the first picture
    /// waits for its successor.
    FramePtr Take(const AVFrame *frame);

    /// The picture still held, judged against the one before it alone; null when none is held.
    FramePtr Flush();

    /// Judges cur by the pictures around it; prev or next may be null (or of another size, which
    /// counts as null). Pictures the detector cannot read count as progressive.
    static Verdict Judge(const AVFrame *prev, const AVFrame *cur, const AVFrame *next);

private:
    FramePtr Release(const AVFrame *next);

    FramePtr m_prev;
    FramePtr m_cur;
};

} // namespace dolmar
