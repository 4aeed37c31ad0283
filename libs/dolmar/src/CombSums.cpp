// SPDX-License-Identifier: GPL-3.0-or-later
#include "CombSums.h"

extern "C" {
#include <libavutil/intreadwrite.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

namespace dolmar {

namespace {

// Measured on clean and noisy, sharp and soft, woven and progressive test patterns, fractals and
// cellular automata at SD and HD, and on 3:2 telecined film:
// a change of more than this (8-bit steps) between pictures is motion, unless the noise is worse
constexpr int kMotionStep = 12;
// ... then the bar is this many times the typical (median) change
constexpr int kNoiseFactor = 3;
// so a median change up to this leaves the bar at kMotionStep
constexpr int kQuietStep = kMotionStep / kNoiseFactor;

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
        for (std::size_t i = 0; i < m_values.size(); ++i)
            m_values[i] = m_luma.At(m_step * static_cast<int>(i), y);
        return m_values.data();
    }

private:
    const Luma &m_luma;
    int m_step;
    std::vector<int> m_values;
};

/// The samples of a plane of plain bytes, read where they lie: most pictures are such, and
/// copying every sampled row first cost as much as judging it.
class DirectRows
{
public:
    struct View
    {
        const uint8_t *row;
        int step;
        int operator[](std::size_t i) const { return row[static_cast<std::size_t>(step) * i]; }
    };

    DirectRows(const Luma &luma, int /*width*/, int step)
        : m_data(luma.data + luma.offset)
        , m_linesize(luma.linesize)
        , m_step(step)
    { }

    View Row(int y) const { return {m_data + static_cast<std::ptrdiff_t>(y) * m_linesize, m_step}; }

private:
    const uint8_t *m_data;
    int m_linesize;
    int m_step;
};

bool IsPlainBytes(const Luma &luma)
{
    return !luma.wide && luma.step == 1 && luma.shift == 0;
}

/// What one row adds to the sums.
struct RowSums
{
    long moving = 0;
    long self = 0;
    long prev = 0;
    long next = 0;
};

/// Samples from..count of a row, one at a time. How far a row stands out from the rows of the
/// other field around it: ours, or the same row of a neighbour put in its place; counted only
/// where the picture moves, by a mask rather than a branch, which the processor could not foresee.
template<typename View>
void AddSamplesFrom(RowSums &sums, const View &u, const View &c, const View &d, const View &p,
                    const View &n, std::size_t from, std::size_t count, int motion)
{
    for (std::size_t i = from; i < count; ++i) {
        const int ci = c[i];
        const int pi = p[i];
        const int ni = n[i];
        const int around = u[i] + d[i];
        const int mask
            = -static_cast<int>((std::abs(ci - pi) > motion) | (std::abs(ci - ni) > motion));
        sums.moving -= mask;
        sums.self += mask & std::abs(around - 2 * ci);
        sums.prev += mask & std::abs(around - 2 * pi);
        sums.next += mask & std::abs(around - 2 * ni);
    }
}

/// How many of samples from..count change by no more than noise does.
template<typename View>
long QuietSamplesFrom(const View &c, const View &n, std::size_t from, std::size_t count)
{
    long quiet = 0;
    for (std::size_t i = from; i < count; ++i)
        quiet += std::abs(c[i] - n[i]) <= kQuietStep ? 1 : 0;
    return quiet;
}

#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
// Rows of plain bytes are read sixteen bytes at a time: as eight 16-bit words when every other
// byte is a sample, as four 32-bit words when every fourth is; the low byte of each word is the
// sample.
using EveryOther = int16_t __attribute__((vector_size(16)));
using EveryFourth = int32_t __attribute__((vector_size(16)));

template<typename Vec>
using LaneOf = std::remove_cv_t<std::remove_reference_t<decltype(std::declval<Vec>()[0])>>;

template<typename Vec> Vec Load(const uint8_t *at)
{
    Vec words;
    std::memcpy(&words, at, sizeof words);
    return words & static_cast<LaneOf<Vec>>(0xff);
}

template<typename Vec> Vec Abs(Vec v)
{
    const Vec sign = v >> (8 * static_cast<int>(sizeof(LaneOf<Vec>)) - 1);
    return (v ^ sign) - sign;
}

template<typename Vec> long Total(Vec v)
{
    long total = 0;
    for (std::size_t lane = 0; lane < sizeof(Vec) / sizeof(LaneOf<Vec>); ++lane)
        total += v[lane];
    return total;
}

/// The first bytes (a multiple of sixteen) of a row, as AddSamplesFrom counts them.
template<typename Vec>
void AddLanes(RowSums &sums, const uint8_t *u, const uint8_t *c, const uint8_t *d, const uint8_t *p,
              const uint8_t *n, std::size_t bytes, int motion)
{
    using Lane = LaneOf<Vec>;
    // 16-bit lanes hold the sums of 64 loads at most: 64 * 510 < 2^15
    constexpr std::size_t kBlock = 64 * sizeof(Vec);
    const Vec bar = Vec{} + static_cast<Lane>(motion);
    for (std::size_t x = 0; x < bytes;) {
        Vec moving{};
        Vec self{};
        Vec prev{};
        Vec next{};
        for (const std::size_t end = std::min(bytes, x + kBlock); x < end; x += sizeof(Vec)) {
            const Vec cv = Load<Vec>(c + x);
            const Vec pv = Load<Vec>(p + x);
            const Vec nv = Load<Vec>(n + x);
            const Vec around = Load<Vec>(u + x) + Load<Vec>(d + x);
            const Vec mask = (Abs(cv - pv) > bar) | (Abs(cv - nv) > bar);
            moving -= mask;
            self += mask & Abs(around - cv - cv);
            prev += mask & Abs(around - pv - pv);
            next += mask & Abs(around - nv - nv);
        }
        sums.moving += Total(moving);
        sums.self += Total(self);
        sums.prev += Total(prev);
        sums.next += Total(next);
    }
}

template<typename Vec> long QuietLanes(const uint8_t *c, const uint8_t *n, std::size_t bytes)
{
    const Vec bar = Vec{} + static_cast<LaneOf<Vec>>(kQuietStep);
    Vec quiet{};
    for (std::size_t x = 0; x < bytes; x += sizeof(Vec))
        quiet -= Abs(Load<Vec>(c + x) - Load<Vec>(n + x)) <= bar;
    return Total(quiet);
}

/// How many bytes at the start of a row of width pixels can be read sixteen at a time without
/// reading past the row.
std::size_t WholeLoads(int width)
{
    return static_cast<std::size_t>(width) / 16 * 16;
}

void AddSamples(RowSums &sums, const DirectRows::View &u, const DirectRows::View &c,
                const DirectRows::View &d, const DirectRows::View &p, const DirectRows::View &n,
                std::size_t count, int width, int motion)
{
    const std::size_t bytes = WholeLoads(width);
    if (c.step == 2)
        AddLanes<EveryOther>(sums, u.row, c.row, d.row, p.row, n.row, bytes, motion);
    else
        AddLanes<EveryFourth>(sums, u.row, c.row, d.row, p.row, n.row, bytes, motion);
    AddSamplesFrom(sums, u, c, d, p, n, bytes / static_cast<std::size_t>(c.step), count, motion);
}

long QuietSamples(const DirectRows::View &c, const DirectRows::View &n, std::size_t count,
                  int width)
{
    const std::size_t bytes = WholeLoads(width);
    const long quiet = c.step == 2 ? QuietLanes<EveryOther>(c.row, n.row, bytes)
                                   : QuietLanes<EveryFourth>(c.row, n.row, bytes);
    return quiet + QuietSamplesFrom(c, n, bytes / static_cast<std::size_t>(c.step), count);
}
#endif

template<typename View>
void AddSamples(RowSums &sums, const View &u, const View &c, const View &d, const View &p,
                const View &n, std::size_t count, int /*width*/, int motion)
{
    AddSamplesFrom(sums, u, c, d, p, n, 0, count, motion);
}

template<typename View>
long QuietSamples(const View &c, const View &n, std::size_t count, int /*width*/)
{
    return QuietSamplesFrom(c, n, 0, count);
}

/// The sums of a picture against its neighbours. A missing neighbour is read as the other one:
/// it moves nothing the other does not, and its own sums go unread.
template<typename Rows>
CombSums Measure(const Luma &here, const Luma &before, const Luma &after, const AVFrame *cur)
{
    const int width = cur->width;
    const int height = cur->height;
    const Sampling sampling(cur);
    const int step = sampling.column_step;
    const std::size_t count = static_cast<std::size_t>((width + step - 1) / step);
    Rows above(here, width, step);
    Rows middle(here, width, step);
    Rows below(here, width, step);
    Rows earlier(before, width, step);
    Rows later(after, width, step);

    // The typical (median) change between pictures is the noise; motion must stand out from
    // it. Only a median above kQuietStep moves the bar, and most pictures show that theirs is
    // not without counting every step.
    long samples = 0;
    long quiet = 0;
    for (int y = 0; y < height; ++y) {
        if (sampling.Row(y, height)) {
            quiet += QuietSamples(middle.Row(y), earlier.Row(y), count, width);
            samples += static_cast<long>(count);
        }
    }
    int median = 0;
    if (quiet < samples / 2) {
        std::array<long, 256> changes{};
        for (int y = 0; y < height; ++y) {
            if (!sampling.Row(y, height))
                continue;
            const auto c = middle.Row(y);
            const auto n = earlier.Row(y);
            for (std::size_t i = 0; i < count; ++i)
                ++changes[static_cast<std::size_t>(std::min(255, std::abs(c[i] - n[i])))];
        }
        for (long seen = changes[0]; median < 255 && seen < samples / 2;)
            seen += changes[static_cast<std::size_t>(++median)];
    }
    const int motion = std::max(kMotionStep, kNoiseFactor * median);

    CombSums sums;
    sums.samples = samples;
    for (int y = 0; y < height; ++y) {
        if (!sampling.Row(y, height))
            continue;
        RowSums row;
        AddSamples(row, above.Row(y - 1), middle.Row(y), below.Row(y + 1), earlier.Row(y),
                   later.Row(y), count, width, motion);
        const bool bottom = (y & 1) != 0;
        sums.moving += row.moving;
        sums.self += row.self;
        (bottom ? sums.prev_bottom : sums.prev_top) += row.prev;
        (bottom ? sums.next_bottom : sums.next_top) += row.next;
        (bottom ? sums.bottom_rows : sums.top_rows) += row.moving;
    }
    return sums;
}

} // namespace

std::optional<CombSums> MeasureComb(const AVFrame *prev, const AVFrame *cur, const AVFrame *next,
                                    SampleReading reading)
{
    Luma here;
    if (!cur || !ReadLuma(cur, here))
        return std::nullopt;
    Luma before;
    Luma after;
    const bool has_prev = Matches(prev, cur) && ReadLuma(prev, before);
    const bool has_next = Matches(next, cur) && ReadLuma(next, after);
    if (!has_prev && !has_next)
        return std::nullopt;
    if (!has_prev)
        before = after;
    if (!has_next)
        after = before;
    CombSums sums = reading == SampleReading::Direct && IsPlainBytes(here)
        ? Measure<DirectRows>(here, before, after, cur)
        : Measure<SampledRows>(here, before, after, cur);
    sums.has_prev = has_prev;
    sums.has_next = has_next;
    return sums;
}

} // namespace dolmar
