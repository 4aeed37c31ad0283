// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/SizeTarget.h"

#include "core/SizeModel.h"
#include "platform/PrivateProfile.h"

#include <algorithm>
#include <cmath>

namespace quillet::sizing {

double TargetBytesOf(const std::filesystem::path &profile_file, std::string_view section)
{
    const double megabytes = platform::ReadProfileFloat(section, kTargetSizeKey, profile_file);
    return std::isfinite(megabytes) && megabytes > 0 ? megabytes * kTargetMegabyteBytes : 0;
}

TargetPlan PlanForTarget(const PlanTask &task, double target_bytes)
{
    TargetPlan result;
    TaskPlan &plan = result.plan;
    if (!task.shape.HasVideo()) {
        result.status = TargetStatus::NoVideo;
        plan.bytes = EstimateSize(task.shape).Total();
        return result;
    }
    const double lowest = std::floor(task.limits.lowest_kbps);
    double rate = std::floor(VideoKbpsForSize(task.shape, target_bytes * kAimFraction));
    if (rate < lowest) {
        result.status = TargetStatus::TooLong;
        rate = lowest;
    } else if (task.limits.highest_kbps > 0 && rate > task.limits.highest_kbps) {
        rate = std::floor(task.limits.highest_kbps);
        result.status = TargetStatus::Capped;
    }
    plan.video_kbps = rate;
    plan.bytes = EstimateSize(WithVideoKbps(task.shape, rate)).Total();
    plan.change_rate = true;
    plan.two_pass = true;
    plan.at_lowest = rate <= lowest;
    // A ceiling that still leaves 90 % is no shortfall.
    if (result.status == TargetStatus::Capped && plan.bytes >= 0.9 * target_bytes)
        result.status = TargetStatus::OnTarget;
    return result;
}

} // namespace quillet::sizing
