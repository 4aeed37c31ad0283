// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ProfileRecord.h"
#include "texts/Texts.h"

#include <string>

/**
 * Values of a profile that no conversion can use, refused before an output is even claimed, with
 * the key and the value named as the profile file has them. The engine refuses what its options
 * cannot take; these are values it would take and then fail on for a reason far from the cause
 * (a frame rate of 0.001 leaves no frame in the time converted, which the engine can only blame
 * on the time chosen).
 */
namespace quillet {

/// The lowest and highest custom frame rate a profile may ask for: below one frame a second a
/// clip of a few seconds has no frame to show, and the engine takes no more than 1000.
inline constexpr double kLowestProfileFrameRate = 1.0;
inline constexpr double kHighestProfileFrameRate = 1000.0;

/// Why profile cannot be converted with, in the user's language; empty when it can.
std::string RefusedProfileValue(const ProfileRecord &profile, const Texts &texts);

} // namespace quillet
