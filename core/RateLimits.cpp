// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/RateLimits.h"

#include "core/OutputShape.h"
#include "platform/NumberText.h"
#include "platform/TextCase.h"

#include <algorithm>
#include <cmath>

namespace quillet::sizing {

namespace {

struct CodecName
{
    std::string_view name;
    std::size_t family; ///< index into kBudgets
};

// H.264 and its successors need about half of what MPEG-4 Part 2 needs, which needs about two
// thirds of MPEG-2; MPEG-1 is coarser still. The lowest figures sit just above what the MPEG-style
// encoders reach at their coarsest quantiser on a moving picture, so a planned rate is one they
// can actually keep.
constexpr CodecBudget kBudgets[] = {
    {"h264", 0.04, 0.10, 0.40},  {"hevc", 0.03, 0.07, 0.30},  {"mpeg4", 0.09, 0.20, 0.80},
    {"mpeg2", 0.11, 0.25, 1.00}, {"mpeg1", 0.13, 0.30, 1.20},
};
constexpr std::size_t kMpeg4Family = 2;

constexpr CodecName kCodecs[] = {
    {"h264", 0},       {"x264", 0},      {"libx264", 0},    {"avc", 0},        {"hevc", 1},
    {"h265", 1},       {"libx265", 1},   {"vp9", 1},        {"libvpx-vp9", 1}, {"av1", 1},
    {"libaom-av1", 1}, {"libsvtav1", 1}, {"mpeg4", 2},      {"divx", 2},       {"xvid", 2},
    {"libxvid", 2},    {"wmv1", 2},      {"wmv2", 2},       {"msmpeg4", 2},    {"msmpeg4v2", 2},
    {"h263", 2},       {"h263p", 2},     {"flv", 2},        {"vp8", 2},        {"libvpx", 2},
    {"theora", 2},     {"libtheora", 2}, {"mpeg2video", 3}, {"mpeg2", 3},      {"mpeg1video", 4},
    {"mpeg1", 4},      {"h261", 4},
};

struct LevelCeiling
{
    std::string_view level;
    double kbps; ///< MaxBR of Baseline, Main and Extended
};

// The H.264 standard's MaxBR per level (Table A-1).
constexpr LevelCeiling kLevels[] = {
    {"1", 64},       {"1b", 128},     {"1.1", 192},   {"1.2", 384},    {"1.3", 768},
    {"2", 2000},     {"2.1", 4000},   {"2.2", 4000},  {"3", 10000},    {"3.1", 14000},
    {"3.2", 20000},  {"4", 20000},    {"4.1", 50000}, {"4.2", 50000},  {"5", 135000},
    {"5.1", 240000}, {"5.2", 240000}, {"6", 240000},  {"6.1", 480000}, {"6.2", 800000},
};

/// "31" and "3.1" alike as "3.1"; "30" and "3.0" as "3".
std::string CanonicalLevel(std::string_view level)
{
    std::string text = platform::ToLower(level);
    if (text == "1b" || text == "9")
        return "1b";
    double value = platform::ParseLeadingDouble(text);
    if (text.find('.') == std::string::npos && value >= 10)
        value /= 10;
    if (!(value > 0) || value > 10)
        return {};
    const long tenths = std::lround(value * 10);
    std::string canonical = std::to_string(tenths / 10);
    if (tenths % 10 != 0)
        canonical += "." + std::to_string(tenths % 10);
    return canonical;
}

} // namespace

const CodecBudget &CodecBudgetOf(std::string_view codec)
{
    for (const auto &entry : kCodecs)
        if (platform::EqualsIgnoringCase(entry.name, codec))
            return kBudgets[entry.family];
    return kBudgets[kMpeg4Family];
}

double KbpsForBitsPerPixel(const OutputShape &shape, double bits_per_pixel)
{
    if (shape.width <= 0 || shape.height <= 0 || !(shape.frame_rate > 0))
        return 0;
    return bits_per_pixel * shape.width * shape.height * shape.frame_rate / 1000.0;
}

RateLimits LimitsOf(const OutputShape &shape)
{
    RateLimits limits;
    limits.highest_kbps = shape.device_ceiling_kbps;
    limits.lowest_kbps = std::max(
        kLowestKbpsFloor, KbpsForBitsPerPixel(shape, CodecBudgetOf(shape.video_codec).lowest_bpp));
    if (limits.highest_kbps > 0)
        limits.lowest_kbps = std::min(limits.lowest_kbps, limits.highest_kbps);
    return limits;
}

double H264LevelCeilingKbps(std::string_view level, std::string_view profile)
{
    const std::string canonical = CanonicalLevel(level);
    for (const auto &entry : kLevels) {
        if (entry.level != canonical)
            continue;
        // Table A-2's cpbBrVclFactor: High takes 1.25 times the rate, High 10 three times and
        // the 4:2:2 and 4:4:4 profiles four times.
        const std::string name = platform::ToLower(profile);
        double factor = 1.0;
        if (name == "high")
            factor = 1.25;
        else if (name == "high10")
            factor = 3.0;
        else if (name == "high422" || name == "high444" || name == "high444p")
            factor = 4.0;
        return entry.kbps * factor;
    }
    return 0;
}

} // namespace quillet::sizing
