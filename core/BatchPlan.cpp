// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/BatchPlan.h"

#include "core/SizeModel.h"

#include <algorithm>
#include <cmath>

namespace quillet::sizing {

namespace {

PlanTask FromShape(OutputShape shape)
{
    PlanTask task;
    task.limits = LimitsOf(shape);
    if (shape.video.kind == RateKind::Fixed || shape.video.kind == RateKind::Copied)
        task.natural_kbps = shape.video.kbps;
    task.shape = std::move(shape);
    return task;
}

/// kbit/s a task gets for one bit per pixel: how the shares are weighed.
double Weight(const PlanTask &task)
{
    double per_bpp = KbpsForBitsPerPixel(task.shape, 1.0);
    if (!(per_bpp > 0)) {
        // No picture facts: the rate it would take at its codec's typical quality stands in.
        const double highest = HighestKbps(task);
        per_bpp = highest / CodecBudgetOf(task.shape.video_codec).typical_bpp;
    }
    return per_bpp * (task.complexity > 0 ? task.complexity : 1.0);
}

double BytesAt(const PlanTask &task, double kbps)
{
    if (!task.shape.HasVideo())
        return EstimateSize(task.shape).Total();
    return EstimateSize(WithVideoKbps(task.shape, kbps)).Total();
}

/// The bytes of the shape as the profile makes it, without a plan.
double NaturalBytes(const PlanTask &task)
{
    if (!task.shape.HasVideo() || task.natural_kbps > 0)
        return BytesAt(task, task.natural_kbps);
    // Quality-based and not measured: only its highest rate is sure not to be passed.
    return BytesAt(task, HighestKbps(task));
}

struct Open
{
    std::size_t index;
    double weight;
    double lowest;
    double highest;
};

double RateAt(const Open &open, double bits_per_pixel)
{
    return std::clamp(std::floor(open.weight * bits_per_pixel), open.lowest, open.highest);
}

} // namespace

PlanTask PlanTaskOf(const Task &task)
{
    return FromShape(ShapeOf(task));
}

PlanTask MergedPlanTaskOf(const TaskList &tasks, const ProfileRecord &current)
{
    return FromShape(MergedShapeOf(tasks, current));
}

double HighestKbps(const PlanTask &task)
{
    if (!task.shape.HasVideo())
        return 0;
    double highest = task.natural_kbps > 0
        ? task.natural_kbps
        : KbpsForBitsPerPixel(task.shape, CodecBudgetOf(task.shape.video_codec).ceiling_bpp);
    if (task.limits.highest_kbps > 0 && (!(highest > 0) || highest > task.limits.highest_kbps))
        highest = task.limits.highest_kbps;
    return std::floor(std::max(highest, 0.0));
}

double LowestKbps(const PlanTask &task)
{
    const double highest = HighestKbps(task);
    return std::min(std::floor(task.limits.lowest_kbps), highest);
}

BatchPlan PlanBatch(const std::vector<PlanTask> &tasks, double capacity_bytes,
                    const std::vector<std::optional<double>> &made_bytes)
{
    BatchPlan plan;
    plan.capacity_bytes = capacity_bytes;
    plan.tasks.resize(tasks.size());

    // What is spent already or cannot change; the rest is shared.
    double fixed_bytes = 0;
    double natural_bytes = 0;
    std::vector<Open> open;
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        TaskPlan &out = plan.tasks[i];
        const PlanTask &task = tasks[i];
        if (i < made_bytes.size() && made_bytes[i]) {
            out.bytes = *made_bytes[i];
            out.made = true;
            fixed_bytes += out.bytes;
            continue;
        }
        if (!task.shape.HasVideo()) {
            out.bytes = BytesAt(task, 0);
            fixed_bytes += out.bytes;
            continue;
        }
        open.push_back({i, Weight(task), LowestKbps(task), HighestKbps(task)});
        natural_bytes += NaturalBytes(task);
    }
    double lowest_bytes = fixed_bytes;
    for (const auto &o : open)
        lowest_bytes += BytesAt(tasks[o.index], o.lowest);
    plan.lowest_bytes = lowest_bytes;

    const double aim_bytes = kAimFraction * capacity_bytes;
    const auto place = [&](double bits_per_pixel) {
        for (const auto &o : open) {
            TaskPlan &out = plan.tasks[o.index];
            out.video_kbps = RateAt(o, bits_per_pixel);
            out.bytes = BytesAt(tasks[o.index], out.video_kbps);
            out.at_lowest = out.video_kbps <= o.lowest;
        }
    };
    const auto total = [&] {
        double sum = 0;
        for (const auto &t : plan.tasks)
            sum += t.bytes;
        return sum;
    };

    if (fixed_bytes + natural_bytes <= aim_bytes) {
        plan.status = PlanStatus::Unchanged;
        for (const auto &o : open) {
            TaskPlan &out = plan.tasks[o.index];
            out.video_kbps = tasks[o.index].natural_kbps;
            out.bytes = NaturalBytes(tasks[o.index]);
        }
    } else if (lowest_bytes >= aim_bytes) {
        plan.status = lowest_bytes <= capacity_bytes ? PlanStatus::Planned : PlanStatus::CannotFit;
        place(0);
    } else {
        // Every open task's rate rises with the bits per pixel, so the total does too: halve
        // the interval until the total lies within a kilobyte below the aim.
        plan.status = PlanStatus::Planned;
        double low = 0;
        double high = 0;
        for (const auto &o : open)
            if (o.weight > 0)
                high = std::max(high, o.highest / o.weight);
        for (int step = 0; step < 64 && high - low > 1e-9; ++step) {
            const double middle = (low + high) / 2;
            place(middle);
            if (total() > aim_bytes)
                high = middle;
            else
                low = middle;
            if (aim_bytes - total() < 1024 && total() <= aim_bytes)
                break;
        }
        place(low);
    }
    for (const auto &o : open) {
        TaskPlan &out = plan.tasks[o.index];
        const double natural = tasks[o.index].natural_kbps;
        // A rate of 0 would read as the encoder's own quality: a task of which nothing is known
        // (no picture facts, no rate) keeps its profile's settings.
        out.change_rate = plan.status != PlanStatus::Unchanged && out.video_kbps > 0
            && (!(natural > 0) || out.video_kbps < natural);
        out.two_pass = out.change_rate;
    }
    plan.planned_bytes = total();
    return plan;
}

} // namespace quillet::sizing
