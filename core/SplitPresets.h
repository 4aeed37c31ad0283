// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

/**
 * The split list's entries: how large each output may grow. The entry texts are what the list
 * shows and what the rest of the program compares against.
 */
namespace quillet::split {

inline constexpr std::string_view kDvd5 = "DVD-5 (4.7GB)";
inline constexpr std::string_view kDvd9 = "DVD-9 (8.5GB)";
inline constexpr std::string_view kBd25 = "BD-25 (25GB)";
inline constexpr std::string_view kBd50 = "BD-50 (50GB)";
inline constexpr std::string_view kCustom = "Custom";
inline constexpr std::string_view kNoSplit = "No split";

/// A disc entry and its sizes.
struct DiscPreset
{
    std::string_view text;
    int64_t limit_kib; ///< the engine's size limit, in units of 1024 bytes
    double capacity_mb; ///< what the size check and the totals line compare with
};

inline constexpr DiscPreset kDiscPresets[] = {
    {kDvd5, 4200000, 4200},
    {kDvd9, 8000000, 8000},
    {kBd25, 23000000, 23000},
    {kBd50, 46000000, 46000},
};

/// The disc preset whose text equals entry exactly, if any.
inline const DiscPreset *FindDiscPreset(std::string_view entry)
{
    for (const auto &p : kDiscPresets)
        if (p.text == entry)
            return &p;
    return nullptr;
}

/// Custom split size: whole megabytes, its accepted range and its value at start.
inline constexpr int kCustomSizeMinMb = 1;
inline constexpr int kCustomSizeMaxMb = 100000;
inline constexpr int kCustomSizeInitialMb = 4000;

} // namespace quillet::split
