// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string_view>

/**
 * The output sizes a profile names by number (its resize choice), and the default video bit rate
 * worked out from a size: one table and one rule for the size estimate, the engine's arguments
 * and the option sheet, which once each kept a copy (and two of them disagreed on overflow).
 */
namespace quillet {

/// A fixed output size, with the name the engine's -s option knows it by.
struct NamedFrame
{
    std::string_view engine_name;
    int width = 0;
    int height = 0;
};

/// The fixed size of resize choice 1 to 11; nothing for 0 (the source's size), 9 (the custom
/// size) and values outside the list, which are worked out from the record.
std::optional<NamedFrame> NamedFrameOf(int choice);

/**
 * The default video bit rate in kbit/s from the three quotieties and the output size:
 * (q1 * W * H + 1024 * q2 * q2 + 1024 * q3) * 0.9765625 bits, truncated toward zero, divided by
 * 1000 (truncating). 0 when q1 is below 0, W or H is not above 0, or the sum is no number. A
 * result beyond an int is held at its limit: quotieties are checked only when the option sheet
 * reads them, and a hand-edited profile must not turn into a negative rate.
 */
int DefaultVideoBitRate(double q1, double q2, double q3, int width, int height);

} // namespace quillet
