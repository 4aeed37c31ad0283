// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/FrameSizes.h"

#include <array>
#include <climits>
#include <cmath>

namespace quillet {

namespace {

// By resize choice, from 1; choice 9 (custom) has no fixed size.
constexpr std::array<NamedFrame, 11> kNamedFrames = {{
    {"sqcif", 128, 96},
    {"qcif", 176, 144},
    {"cif", 352, 288},
    {"4cif", 704, 576},
    {"320x240", 320, 240},
    {"640x480", 640, 480},
    {"720x480", 720, 480},
    {"720x576", 720, 576},
    {"", 0, 0},
    {"1280x768", 1280, 768},
    {"1920x1080", 1920, 1080},
}};

} // namespace

std::optional<NamedFrame> NamedFrameOf(int choice)
{
    if (choice < 1 || choice > static_cast<int>(kNamedFrames.size()) || choice == 9)
        return std::nullopt;
    return kNamedFrames[static_cast<std::size_t>(choice - 1)];
}

int DefaultVideoBitRate(double q1, double q2, double q3, int width, int height)
{
    if (!(q1 >= 0) || width <= 0 || height <= 0)
        return 0;
    const long double bits
        = (static_cast<long double>(q1) * width * height + 1024.0L * q2 * q2 + 1024.0L * q3)
        * 0.9765625L;
    if (std::isnan(bits))
        return 0;
    const long double kbits = std::trunc(std::trunc(bits) / 1000.0L);
    if (kbits >= static_cast<long double>(INT_MAX))
        return INT_MAX;
    if (kbits <= static_cast<long double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(kbits);
}

} // namespace quillet
