// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/FixedString.h"

#include <cstdint>
#include <span>

namespace quillet {

/// One row of the device group table: which group a built-in profile file belongs to.
struct DeviceGroupRow
{
    FixedString<32> group_name;
    int32_t group_icon;
    FixedString<52> ini_file;
    int32_t item_icon;
};

/// The built-in profile files and their groups, in catalogue order.
std::span<const DeviceGroupRow> DeviceGroupTable();

/// Icon indexes of the picker's image lists and the resource each stands for.
inline constexpr int kIconResources[]
    = {128, 290, 314, 313, 307, 308, 309, 312, 311, 310, 347, 348, 345};
inline constexpr int kAppIcon = 0;
inline constexpr int kOtherProfilesIcon = 1;

inline constexpr const char *kOtherProfilesGroup = "Other Profiles";
inline constexpr const char *kAllProfilesGroup = "All Profiles";

} // namespace quillet
