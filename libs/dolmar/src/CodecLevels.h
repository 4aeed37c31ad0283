// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string_view>

namespace dolmar::codec_levels {

/// Luma samples a second the named HEVC level allows (ITU-T H.265 table A.8; the same for both
/// tiers): "5", "5.0" and "50" all name level 5. 0 for a level HEVC does not have.
int64_t HevcLumaSampleRate(std::string_view level);

} // namespace dolmar::codec_levels
