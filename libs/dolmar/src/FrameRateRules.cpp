// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameRateRules.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace dolmar::frame_rate {

namespace {

// Rates closer than this are one rate: 30 and 29.97 differ by 0.1 %.
constexpr double kSameRate = 0.002;
// A measured rate this close to a usual one is that rate.
constexpr double kUsualRate = 0.005;
// The span over which a rate must hold to count as the source's.
constexpr double kSustainedSeconds = 1.0;

constexpr std::array<AVRational, 13> kUsualRates{{
    {24000, 1001},
    {24, 1},
    {25, 1},
    {30000, 1001},
    {30, 1},
    {48, 1},
    {50, 1},
    {60000, 1001},
    {60, 1},
    {90, 1},
    {100, 1},
    {120000, 1001},
    {120, 1},
}};

bool Same(double a, double b)
{
    return std::abs(a - b) <= kSameRate * std::max(a, b);
}

/// How far a ratio is from its nearest whole number, when that number is at least one.
double OffWhole(double ratio)
{
    const double whole = std::round(ratio);
    return whole >= 1 ? std::abs(ratio - whole) / ratio : 1.0;
}

} // namespace

int64_t LevelMacroblockRate(const std::string &level)
{
    if (level.empty())
        return 0;
    int tenths = 0;
    if (level == "1b" || level == "9") {
        tenths = 9;
    } else {
        char *end = nullptr;
        const double value = std::strtod(level.c_str(), &end);
        if (end == level.c_str() || *end != '\0' || !(value > 0))
            return 0;
        // "31" and "3.1" name the same level; "4" is 4.0.
        tenths = level.find('.') != std::string::npos || value < 10
            ? static_cast<int>(std::lround(value * 10))
            : static_cast<int>(std::lround(value));
    }
    struct Level
    {
        int tenths;
        int64_t macroblocks_per_s;
    };
    static constexpr Level kLevels[]
        = {{9, 1485},    {10, 1485},   {11, 3000},   {12, 6000},   {13, 11880},  {20, 11880},
           {21, 19800},  {22, 20250},  {30, 40500},  {31, 108000}, {32, 216000}, {40, 245760},
           {41, 245760}, {42, 522240}, {50, 589824}, {51, 983040}, {52, 2073600}};
    for (const Level &l : kLevels)
        if (l.tenths == tenths)
            return l.macroblocks_per_s;
    return 0;
}

AVRational Within(AVRational rate, double most)
{
    // A thousandth of slack: 30 fps must pass a limit worked out as 29.9999.
    const double fps = av_q2d(rate);
    if (most <= 0 || fps <= most * 1.001)
        return rate;
    const int divisor = static_cast<int>(std::ceil(fps / (most * 1.001)));
    AVRational divided{};
    av_reduce(&divided.num, &divided.den, rate.num, int64_t{rate.den} * divisor, 1 << 30);
    return divided;
}

std::vector<AVRational> DiscRates(Disc disc, int height)
{
    constexpr AVRational kFilm{24000, 1001};
    constexpr AVRational kNtsc{30000, 1001};
    constexpr AVRational kPal{25, 1};
    switch (disc) {
    case Disc::None:
        return {};
    case Disc::HdDisc:
        if (height == 720)
            return {kFilm, {24, 1}, {50, 1}, {60000, 1001}};
        if (height == 480)
            return {kNtsc};
        if (height == 576)
            return {kPal};
        // 1080 lines, and any other frame an HD disc player is handed.
        return {kFilm, {24, 1}, kPal, kNtsc};
    case Disc::Dvd:
    case Disc::VideoCd:
        if (height == 576 || height == 288)
            return {kPal};
        if (height == 480 || height == 240)
            return {kNtsc};
        return {kPal, kNtsc};
    }
    return {};
}

AVRational NearestAllowed(AVRational rate, const std::vector<AVRational> &allowed)
{
    if (allowed.empty() || rate.num <= 0 || rate.den <= 0)
        return rate;
    const double fps = av_q2d(rate);
    for (const AVRational &candidate : allowed)
        if (Same(fps, av_q2d(candidate)))
            return candidate;
    // Dropping whole frames evenly (60 -> 30), else repeating each the same number of times
    // (25 -> 50): either keeps the motion's cadence. The fewest dropped or repeated wins.
    const AVRational *best = nullptr;
    double best_factor = 0;
    double best_off = 0;
    for (bool dropping : {true, false}) {
        for (const AVRational &candidate : allowed) {
            const double ratio = dropping ? fps / av_q2d(candidate) : av_q2d(candidate) / fps;
            const double off = OffWhole(ratio);
            if (off > kSameRate)
                continue;
            // The fewest frames dropped or repeated; of those, the exact one (48 -> 24, not
            // 23.976).
            const double factor = std::round(ratio);
            if (!best || factor < best_factor || (factor == best_factor && off < best_off)) {
                best = &candidate;
                best_factor = factor;
                best_off = off;
            }
        }
        if (best)
            return *best;
    }
    double best_distance = 0;
    for (const AVRational &candidate : allowed) {
        const double distance = std::abs(std::log(fps / av_q2d(candidate)));
        if (!best || distance < best_distance) {
            best = &candidate;
            best_distance = distance;
        }
    }
    return *best;
}

AVRational Usual(double frames_per_second)
{
    if (!(frames_per_second > 0))
        return AVRational{0, 1};
    const AVRational *nearest = nullptr;
    for (const AVRational &rate : kUsualRates) {
        const double off = std::abs(frames_per_second / av_q2d(rate) - 1.0);
        if (off <= kUsualRate
            && (!nearest || off < std::abs(frames_per_second / av_q2d(*nearest) - 1.0)))
            nearest = &rate;
    }
    if (nearest)
        return *nearest;
    AVRational measured{};
    av_reduce(&measured.num, &measured.den, std::llround(frames_per_second * 1000), 1000, 1 << 20);
    return measured;
}

AVRational Sustained(std::vector<double> times_s)
{
    std::sort(times_s.begin(), times_s.end());
    times_s.erase(std::unique(times_s.begin(), times_s.end()), times_s.end());
    if (times_s.size() < 3 || times_s.back() - times_s.front() < kSustainedSeconds * 0.999)
        return AVRational{0, 1};
    // Each second's typical (median) picture interval: the shortest of them is the highest rate
    // held for most of a second; a burst of a few pictures moves no median.
    double best_interval = 0;
    std::size_t best_first = 0;
    std::size_t best_last = 0;
    std::size_t last = 0;
    std::vector<double> intervals;
    for (std::size_t first = 0; first + 2 < times_s.size(); ++first) {
        // Only whole seconds: the tail's last few pictures are no second of their own.
        if (first > 0 && times_s[first] + kSustainedSeconds * 0.999 > times_s.back())
            break;
        last = std::max(last, first + 1);
        while (last + 1 < times_s.size()
               && times_s[last + 1] < times_s[first] + kSustainedSeconds - 1e-6)
            ++last;
        intervals.clear();
        for (std::size_t i = first + 1; i <= last; ++i)
            intervals.push_back(times_s[i] - times_s[i - 1]);
        auto middle = intervals.begin() + static_cast<std::ptrdiff_t>(intervals.size() / 2);
        std::nth_element(intervals.begin(), middle, intervals.end());
        if (best_interval == 0 || *middle < best_interval) {
            best_interval = *middle;
            best_first = first;
            best_last = last;
        }
    }
    if (!(best_interval > 0))
        return AVRational{0, 1};
    // The rate is the mean of the intervals near the typical one: timestamps rounded to the
    // millisecond (33, 34, 33 ms) still give 29.97.
    double sum = 0;
    int count = 0;
    for (std::size_t i = best_first + 1; i <= best_last; ++i) {
        const double interval = times_s[i] - times_s[i - 1];
        if (std::abs(interval - best_interval) <= 0.25 * best_interval) {
            sum += interval;
            ++count;
        }
    }
    return Usual(count / sum);
}

} // namespace dolmar::frame_rate
