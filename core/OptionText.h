// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

/**
 * Splits an engine option string at spaces: a run of spaces is one separator, an empty string
 * gives nothing, a string beginning with a space gives one empty entry first, trailing spaces add
 * nothing. No quoting is recognised.
 */
std::vector<std::string_view> SplitOptionString(std::string_view text);

/**
 * A duration as the engine's time text: hours (two digits at least), minutes, seconds and one
 * digit of tenths, "HH:MM:SS.t". Tenths are truncated; a negative duration gives 00:00:00.0.
 */
std::string TimeText(int64_t duration_us);

} // namespace quillet
