// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/BatchPlan.h"

#include <filesystem>
#include <string_view>

/**
 * A size each output of a profile should land on, for sharing (a mail attachment, an upload
 * limit): the profile key TargetSizeMB. The video rate is chosen so that the output lands between
 * 90 and 100 % of the target; the encoder needs two passes to keep to it.
 */
namespace quillet::sizing {

/// The profile key: a number of megabytes; absent, 0 or below means no target.
inline constexpr std::string_view kTargetSizeKey = "TargetSizeMB";

/// TargetSizeMB counts megabytes of 1 000 000 bytes: the smallest of the megabytes in use, so an
/// output that meets it meets the limit whichever megabyte the site that states it means.
inline constexpr double kTargetMegabyteBytes = 1000000.0;

/// The profile's target in bytes, or 0 when it names none (or names one that is not a number).
double TargetBytesOf(const std::filesystem::path &profile_file, std::string_view section);

enum class TargetStatus {
    OnTarget, ///< planned to land between 90 and 100 % of the target
    TooLong, ///< even the lowest rate the profile allows makes more than the target
    Capped, ///< the device's ceiling keeps it below 90 % of the target
    NoVideo, ///< no picture to plan: the sound alone decides the size
};

struct TargetPlan
{
    TargetStatus status = TargetStatus::OnTarget;
    TaskPlan plan;
};

/**
 * The rate that lands task on kAimFraction of target_bytes (the model's error either way then
 * stays within 90 to 100 %), within the task's lowest rate and the device's ceiling. Unlike a disc
 * plan this may raise the profile's own rate: the target is what the profile asks for.
 */
TargetPlan PlanForTarget(const PlanTask &task, double target_bytes);

} // namespace quillet::sizing
