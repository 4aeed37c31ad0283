// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/FrameSizes.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

using namespace quillet;

TEST(FrameSizes, defaultRateIsHeldAtTheLimitsNeverWrapped)
{
    struct Case
    {
        double q1, q2, q3;
        int width, height, kbits;
    };
    const Case cases[] = {
        {2, 0, 0, 320, 240, 150},
        {1, 10, 1, 640, 480, 401}, // (307200 + 102400 + 1024) * 0.9765625 / 1000
        {1e12, 0, 0, 1920, 1080, INT_MAX}, // a hand-edited quotiety: once a negative rate
        {0, 0, -1e12, 640, 480, INT_MIN}, // far below: held too
        {-1, 0, 0, 640, 480, 0},
        {2, 0, 0, 0, 480, 0},
        {std::nan(""), 0, 0, 640, 480, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DefaultVideoBitRate(c.q1, c.q2, c.q3, c.width, c.height), c.kbits)
            << c.q1 << " " << c.q2 << " " << c.q3;
}

TEST(FrameSizes, namedChoicesSkipTheSourceAndCustomSizes)
{
    EXPECT_FALSE(NamedFrameOf(0));
    EXPECT_FALSE(NamedFrameOf(9));
    EXPECT_FALSE(NamedFrameOf(12));
    EXPECT_EQ(NamedFrameOf(1)->engine_name, "sqcif");
    EXPECT_EQ(NamedFrameOf(11)->width, 1920);
}
