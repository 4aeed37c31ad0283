// SPDX-License-Identifier: GPL-3.0-or-later
#include "CombDetector.h"

#include "CombSums.h"
#include "EngineError.h"

#include <algorithm>

namespace dolmar {

namespace {

// Measured on clean and noisy, sharp and soft, woven and progressive test patterns, fractals and
// cellular automata at SD and HD, and on 3:2 telecined film:
// the fields of a woven picture fit one neighbour at most this share as well as the other
constexpr double kLeaning = 0.85;
// and the picture fits itself no better than this share of how its fields fit a neighbour's
constexpr double kSelfFit = 0.6;
// one moving sample in this many is motion enough to judge by
constexpr int kMovingShare = 1000;
constexpr int kMinMoving = 16;

} // namespace

CombDetector::Verdict CombDetector::Judge(const AVFrame *prev, const AVFrame *cur,
                                          const AVFrame *next)
{
    Verdict verdict;
    const std::optional<CombSums> measured = MeasureComb(prev, cur, next);
    if (!measured)
        return verdict;
    const CombSums &sums = *measured;
    const bool has_prev = sums.has_prev;
    const bool has_next = sums.has_next;
    if (sums.moving < std::max<long>(kMinMoving, sums.samples / kMovingShare) || sums.top_rows == 0
        || sums.bottom_rows == 0)
        return verdict;

    const double self = static_cast<double>(sums.self) / static_cast<double>(sums.moving);
    const double top = static_cast<double>(sums.top_rows);
    const double bottom = static_cast<double>(sums.bottom_rows);
    const double prev_top = static_cast<double>(sums.prev_top) / top;
    const double prev_bottom = static_cast<double>(sums.prev_bottom) / bottom;
    const double next_top = static_cast<double>(sums.next_top) / top;
    const double next_bottom = static_cast<double>(sums.next_bottom) / bottom;
    bool leans = false;
    double best_mix = 0;
    double top_first_lean = 0; // below 0 when the fields lean as top-first fields do
    if (has_prev) {
        leans
            = leans || std::min(prev_top, prev_bottom) < kLeaning * std::max(prev_top, prev_bottom);
        best_mix = std::max(best_mix, std::min(prev_top, prev_bottom));
        // Top first: our bottom field follows our top one closely, the one before's bottom field
        // came just before our top one.
        top_first_lean += prev_bottom - prev_top;
    }
    if (has_next) {
        leans
            = leans || std::min(next_top, next_bottom) < kLeaning * std::max(next_top, next_bottom);
        best_mix = std::max(best_mix, std::min(next_top, next_bottom));
        top_first_lean += next_top - next_bottom;
    }
    verdict.combed = leans && self > kSelfFit * best_mix;
    verdict.top_first = top_first_lean <= 0;
    return verdict;
}

FramePtr CombDetector::Take(const AVFrame *frame)
{
    FramePtr out = m_cur ? Release(frame) : nullptr;
    m_cur = MakeFrame();
    CheckAv(av_frame_ref(m_cur.get(), frame), "keep a picture", "");
    return out;
}

FramePtr CombDetector::Flush()
{
    if (!m_cur)
        return nullptr;
    FramePtr out = Release(nullptr);
    m_prev.reset();
    return out;
}

FramePtr CombDetector::Release(const AVFrame *next)
{
    const Verdict verdict = Judge(m_prev.get(), m_cur.get(), next);
    FramePtr out = std::move(m_cur);
    out->interlaced_frame = verdict.combed ? 1 : 0;
    if (verdict.combed)
        out->top_field_first = verdict.top_first ? 1 : 0;
    m_prev = MakeFrame();
    CheckAv(av_frame_ref(m_prev.get(), out.get()), "keep a picture", "");
    return out;
}

} // namespace dolmar
