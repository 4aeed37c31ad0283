// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/FixedString.h"
#include "texts/LanguageKeys.h"

#include <cstdint>
#include <span>
#include <string_view>

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

/// Icon indexes of the picker's image lists (SkinResources::kProfileIconIds gives the picture
/// of each).
inline constexpr int kAppIcon = 0;
inline constexpr int kOtherProfilesIcon = 1;

inline constexpr const char *kOtherProfilesGroup = "Other Profiles";
inline constexpr const char *kAllProfilesGroup = "All Profiles";

/**
 * The catalogued text a group is shown with in the user's language. Device names ("iPad",
 * "Apple TV") are names in every language and have none; the catalogue keeps the English group
 * names for matching.
 * @return null for a group shown as it is named
 */
const LanguageKey *GroupDisplayKey(std::string_view group);

} // namespace quillet
