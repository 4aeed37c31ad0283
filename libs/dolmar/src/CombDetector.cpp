// SPDX-License-Identifier: GPL-3.0-or-later
#include "CombDetector.h"

#include "EngineError.h"

extern "C" {
#include <libavutil/intreadwrite.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace dolmar {

namespace {

// Measured on clean and noisy, sharp and soft, woven and progressive test patterns, fractals and
// cellular automata at SD and HD, and on 3:2 telecined film:
// a change of more than this (8-bit steps) between pictures is motion, unless the noise is worse
constexpr int kMotionStep = 12;
// ... then the bar is this many times the typical (median) change
constexpr int kNoiseFactor = 3;
// the fields of a woven picture fit one neighbour at most this share as well as the other
constexpr double kLeaning = 0.85;
// and the picture fits itself no better than this share of how its fields fit a neighbour's
constexpr double kSelfFit = 0.6;
// one moving sample in this many is motion enough to judge by
constexpr int kMovingShare = 1000;
constexpr int kMinMoving = 16;

/// How to read the brightness of a picture: its luma (or green) plane, as 8-bit steps.
struct Luma
{
    const uint8_t *data = nullptr;
    int linesize = 0;
    int step = 1; ///< bytes from one pixel to the next
    int offset = 0;
    int shift = 0; ///< bits below the value in its word
    int down = 0; ///< bits dropped to reach 8-bit steps
    bool wide = false; ///< 16-bit words

    int At(int x, int y) const
    {
        const uint8_t *at = data + static_cast<std::ptrdiff_t>(y) * linesize + offset
            + static_cast<std::ptrdiff_t>(x) * step;
        const int value = wide ? AV_RN16(at) : *at;
        return (value >> shift) >> down;
    }
};

bool ReadLuma(const AVFrame *frame, Luma &luma)
{
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
    if (!desc || desc->nb_components == 0
        || (desc->flags
            & (AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_HWACCEL
               | AV_PIX_FMT_FLAG_FLOAT)))
        return false;
    // RGB pictures are judged by their green, which carries most of the brightness.
    const AVComponentDescriptor &component
        = desc->comp[(desc->flags & AV_PIX_FMT_FLAG_RGB) ? 1 : 0];
    const bool wide = component.depth > 8;
    if (component.depth > 16 || (wide && (desc->flags & AV_PIX_FMT_FLAG_BE) != 0))
        return false;
    luma.data = frame->data[component.plane];
    luma.linesize = frame->linesize[component.plane];
    luma.step = component.step;
    luma.offset = component.offset;
    luma.shift = component.shift;
    luma.down = std::max(0, component.depth - 8);
    luma.wide = wide;
    return luma.data != nullptr;
}

bool Matches(const AVFrame *a, const AVFrame *b)
{
    return a && b && a->width == b->width && a->height == b->height && a->format == b->format;
}

/// Where a picture is sampled: two rows of every group of four (of eight from 720 rows, twelve
/// from 1080), one of each field and each with the rows of the other field around it, and every
/// other pixel of them (every fourth from 1200 pixels on): fifty to ninety thousand samples from
/// SD to 4K, which tell woven pictures from progressive ones as well as all the pixels do.
struct Sampling
{
    int column_step;
    int group_rows;

    explicit Sampling(const AVFrame *picture)
        : column_step(picture->width >= 1200 ? 4 : 2)
        , group_rows(4 * std::max(1, picture->height / 360))
    { }

    bool Row(int y, int height) const
    {
        const int place = y % group_rows;
        return y >= 2 && y < height - 2 && (place == 1 || place == 2);
    }
};

/// A row's samples, read once into 8-bit steps, so that the sums below run on plain integers
/// whatever the pixel format.
class SampledRows
{
public:
    SampledRows(const Luma &luma, int width, int step)
        : m_luma(luma)
        , m_step(step)
        , m_values(static_cast<std::size_t>((width + step - 1) / step))
    { }

    const int *Row(int y)
    {
        const uint8_t *row
            = m_luma.data + static_cast<std::ptrdiff_t>(y) * m_luma.linesize + m_luma.offset;
        const std::size_t count = m_values.size();
        if (!m_luma.wide && m_luma.step == 1 && m_luma.shift == 0) {
            for (std::size_t i = 0; i < count; ++i)
                m_values[i] = row[static_cast<std::size_t>(m_step) * i];
        } else {
            for (std::size_t i = 0; i < count; ++i)
                m_values[i] = m_luma.At(m_step * static_cast<int>(i), y);
        }
        return m_values.data();
    }

    std::size_t Count() const { return m_values.size(); }

private:
    const Luma &m_luma;
    int m_step;
    std::vector<int> m_values;
};

struct Sums
{
    long self = 0;
    long prev_top = 0; ///< the picture before: its top field's rows among ours
    long prev_bottom = 0;
    long next_top = 0;
    long next_bottom = 0;
    long top_rows = 0;
    long bottom_rows = 0;
    long moving = 0;
    long samples = 0;
};

} // namespace

CombDetector::Verdict CombDetector::Judge(const AVFrame *prev, const AVFrame *cur,
                                          const AVFrame *next)
{
    Verdict verdict;
    Luma here;
    if (!cur || !ReadLuma(cur, here))
        return verdict;
    Luma before;
    Luma after;
    const bool has_prev = Matches(prev, cur) && ReadLuma(prev, before);
    const bool has_next = Matches(next, cur) && ReadLuma(next, after);
    if (!has_prev && !has_next)
        return verdict;
    const int width = cur->width;
    const int height = cur->height;
    const Sampling sampling(cur);
    SampledRows above(here, width, sampling.column_step);
    SampledRows middle(here, width, sampling.column_step);
    SampledRows below(here, width, sampling.column_step);
    SampledRows earlier(has_prev ? before : here, width, sampling.column_step);
    SampledRows later(has_next ? after : here, width, sampling.column_step);
    SampledRows &neighbour = has_prev ? earlier : later;
    const std::size_t count = middle.Count();

    // The typical change between pictures is the noise; motion must stand out from it.
    std::array<long, 256> changes{};
    long samples = 0;
    for (int y = 0; y < height; ++y) {
        if (!sampling.Row(y, height))
            continue;
        const int *c = middle.Row(y);
        const int *n = neighbour.Row(y);
        for (std::size_t i = 0; i < count; ++i)
            ++changes[static_cast<std::size_t>(std::min(255, std::abs(c[i] - n[i])))];
        samples += static_cast<long>(count);
    }
    int median = 0;
    for (long seen = changes[0]; median < 255 && seen < samples / 2;)
        seen += changes[static_cast<std::size_t>(++median)];
    const int motion = std::max(kMotionStep, kNoiseFactor * median);

    Sums sums;
    sums.samples = samples;
    for (int y = 0; y < height; ++y) {
        if (!sampling.Row(y, height))
            continue;
        const int *u = above.Row(y - 1);
        const int *c = middle.Row(y);
        const int *d = below.Row(y + 1);
        const int *p = has_prev ? earlier.Row(y) : nullptr;
        const int *n = has_next ? later.Row(y) : nullptr;
        const bool bottom = (y & 1) != 0;
        long &prev_sum = bottom ? sums.prev_bottom : sums.prev_top;
        long &next_sum = bottom ? sums.next_bottom : sums.next_top;
        long &rows = bottom ? sums.bottom_rows : sums.top_rows;
        for (std::size_t i = 0; i < count; ++i) {
            // How far a row stands out from the rows of the other field around it: ours, or the
            // same row of a neighbour put in its place.
            const int around = u[i] + d[i];
            const bool moved
                = (p && std::abs(c[i] - p[i]) > motion) || (n && std::abs(c[i] - n[i]) > motion);
            if (!moved)
                continue;
            ++sums.moving;
            ++rows;
            sums.self += std::abs(around - 2 * c[i]);
            if (p)
                prev_sum += std::abs(around - 2 * p[i]);
            if (n)
                next_sum += std::abs(around - 2 * n[i]);
        }
    }
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
