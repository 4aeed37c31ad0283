// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ProfileApplier.h"

#include "core/FrameSizes.h"
#include "core/SizeModel.h"
#include "texts/Texts.h"

#include <cmath>
#include <cstdint>

namespace quillet {

namespace {

struct TargetFrame
{
    int width;
    int height;
    bool wide_allowed;
};

// Target frames of the automatic aspect, by aspect-calculation index.
constexpr TargetFrame kTargetFrames[] = {
    {720, 480, true},  {720, 576, true},  {480, 480, false}, {480, 576, false},
    {352, 240, false}, {352, 288, false}, {720, 480, true},  {720, 576, true},
};

// 4:3 and 16:9 as single-precision values, as the aspect rules compare them.
constexpr float kFourThirds = 4.0f / 3.0f;
constexpr float kSixteenNinths = 16.0f / 9.0f;

int RoundUpTo16(int v)
{
    return (v + 15) / 16 * 16;
}

/// Half of a pad total for each side, raised to even.
int HalfPad(int total)
{
    int half = total / 2;
    return half % 2 != 0 ? half + 1 : half;
}

} // namespace

void EstimateFrameSize(const ProfileRecord &r, int &width, int &height)
{
    const int choice = r.nVideoRiszeOption;
    if (const std::optional<NamedFrame> named = NamedFrameOf(choice)) {
        width = named->width;
        height = named->height;
    } else if (choice == 9) {
        width = RoundUpTo16(r.nVideoCustomSizeX);
        height = r.nVideoCustomSizeY;
    } else {
        width = RoundUpTo16(r.source_width);
        height = r.source_height;
    }
}

int EstimateVideoBitRate(const ProfileRecord &r)
{
    int width = 0, height = 0;
    EstimateFrameSize(r, width, height);
    return DefaultVideoBitRate(r.nVideoBitRateLevel, r.nVideoBitRateLevel2, r.nVideoBitRateLevel3,
                               width, height);
}

bool OutputFrame(const ProfileRecord &r, int &width, int &height)
{
    const int choice = r.nVideoRiszeOption;
    if (const std::optional<NamedFrame> named = NamedFrameOf(choice)) {
        width = named->width;
        height = named->height;
    } else if (choice == 9) {
        // The argument builder raises both custom sides to a multiple of 16.
        width = RoundUpTo16(r.nVideoCustomSizeX);
        height = RoundUpTo16(r.nVideoCustomSizeY);
    } else {
        return false;
    }
    return width > 0 && height > 0;
}

void ApplyAutomaticAspect(ProfileRecord &r, int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(kTargetFrames)))
        return;
    const TargetFrame &target = kTargetFrames[index];
    if (target.width <= 0 || target.height <= 0)
        return;
    float aspect = r.source_display_aspect;
    if (aspect > 1.28333f && aspect < 1.38333f) {
        r.nAspect = 1;
        return;
    }
    if (target.wide_allowed && aspect > 1.72778f && aspect < 1.82778f) {
        r.nAspect = 2;
        return;
    }
    const int w0 = r.source_width;
    const int h0 = r.source_height;
    if (aspect > -0.05f && aspect < 0.05f && h0 > 0) {
        aspect = static_cast<float>(w0) / static_cast<float>(h0);
        r.source_display_aspect = aspect;
    }
    if (w0 <= 0 || h0 <= 0)
        return;

    int value;
    bool exact = false;
    if (!target.wide_allowed) {
        value = 1;
    } else {
        const float ratio = static_cast<float>(w0) / static_cast<float>(h0);
        if (ratio > 1.28333337f && ratio < 1.38333337f) {
            value = 1;
            exact = true;
        } else if (ratio > 1.72777779f && ratio < 1.82777779f) {
            value = 2;
            exact = true;
        } else if (ratio <= kFourThirds) {
            value = 1;
        } else if (ratio >= kSixteenNinths) {
            value = 2;
        } else {
            value = (ratio - kFourThirds) <= (kSixteenNinths - ratio) ? 1 : 2;
        }
    }
    r.nAspect = value;
    if (exact || !(aspect > 0))
        return;

    const float g = value == 1 ? kFourThirds : kSixteenNinths;
    int left_right = 0, top_bottom = 0;
    int a = 0, b = 0;
    if (OutputFrame(r, a, b) || r.nVideoRiszeOption > 11) {
        // The bars are worked out for the frame the output will have: the picture is scaled
        // into that frame minus the bars, and the whole frame shows at g. A size choice the
        // builder does not know falls back to the target frame of the index.
        if (a <= 0 || b <= 0) {
            a = target.width;
            b = target.height;
        }
        const int l = static_cast<int>(a - std::trunc(a / g) * aspect);
        if (l > 0) {
            left_right = l;
        } else {
            const int m = static_cast<int>(b - std::trunc(b * g) / aspect);
            if (m <= 0)
                return;
            top_bottom = m;
        }
    } else {
        // The source size is kept: the picture stays as it is and the bars widen or heighten
        // the frame until the whole shows at g.
        if (aspect < g) {
            left_right = static_cast<int>(w0 * g / aspect - w0);
        } else {
            top_bottom = static_cast<int>(h0 * aspect / g - h0);
        }
        if (left_right <= 0 && top_bottom <= 0)
            return;
    }
    r.bVideoEnablePad = 1;
    r.nVideoPadLeft = r.nVideoPadRight = HalfPad(left_right);
    r.nVideoPadTop = r.nVideoPadBottom = HalfPad(top_bottom);
    r.nVideoPadColor = 0;
}

void ApplyProfile(Task &task, const ProfileRecord &current, ApplyPath path,
                  const OutputPlace &place)
{
    ProfileRecord &r = task.settings;
    r = current;
    r.source_height = task.source_height;
    r.source_width = task.source_width;
    r.source_display_aspect = path == ApplyPath::AddFile ? task.source_display_aspect : 0.0f;
    r.estimated_video_bit_rate = EstimateVideoBitRate(r);
    if (task.aspect_index >= 0)
        ApplyAutomaticAspect(r, task.aspect_index);
    if (path != ApplyPath::ApplyToAll) {
        std::string output = OutputPathFor(task.source_path, place.folder, r.TargetType.view());
        task.destination_path = MakeUniqueOutputPath(output, task.source_path, place.exists);
    }
}

void ApplyToEveryTask(TaskList &tasks, const ProfileRecord &current, ApplyPath path,
                      const OutputPlace &place)
{
    for (const auto &task : tasks)
        ApplyProfile(*task, current, path, place);
}

bool ApplyOnProfilePick(TaskList &tasks, const std::vector<int> &selected, bool apply_to_all,
                        const ProfileRecord &current, const OutputPlace &place)
{
    if (selected.size() != 1)
        return false;
    if (apply_to_all) {
        ApplyToEveryTask(tasks, current, ApplyPath::ProfilePick, place);
        return tasks.Count() > 0;
    }
    Task *task = tasks.Get(selected.front());
    if (!task)
        return false;
    ApplyProfile(*task, current, ApplyPath::ProfilePick, place);
    return true;
}

double EstimatedSizeMb(const Task &task)
{
    // The size model reads what the run will really ask of the engine: the trims, the tracks
    // chosen, the rates as the argument builder writes them, and what the container adds.
    return sizing::EstimateSize(sizing::ShapeOf(task)).Total() / sizing::kListMegabyteBytes;
}

bool EstimateIsApproximate(const Task &task)
{
    return !sizing::EstimateSize(sizing::ShapeOf(task)).exact;
}

std::string EstimatedSizeText(const Task &task, const std::optional<double> &sampled_bytes)
{
    if (sampled_bytes)
        return EstimatedSizeText(sizing::SizeBreakdown{}, sampled_bytes);
    return EstimatedSizeText(sizing::EstimateSize(sizing::ShapeOf(task)), std::nullopt);
}

std::string EstimatedSizeText(const sizing::SizeBreakdown &estimate,
                              const std::optional<double> &known_bytes)
{
    if (known_bytes)
        return FormatText("%.2f MB", *known_bytes / sizing::kListMegabyteBytes);
    return FormatText(estimate.exact ? "%.2f MB" : "~%.2f MB",
                      estimate.Total() / sizing::kListMegabyteBytes);
}

double TotalEstimatedSizeMb(const TaskList &tasks)
{
    double total = 0;
    for (const auto &task : tasks)
        total += EstimatedSizeMb(*task);
    return total;
}

} // namespace quillet
