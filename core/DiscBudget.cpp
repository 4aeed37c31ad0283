// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/DiscBudget.h"

#include "core/ArgumentBuilder.h"
#include "core/OptionText.h"
#include "core/SizeModel.h"
#include "core/SizeTexts.h"
#include "core/SplitPresets.h"

#include <algorithm>
#include <cmath>

namespace quillet::sizing {

std::optional<DiscCapacity> CapacityOf(std::string_view split_choice, int custom_split_mb)
{
    if (const auto *preset = split::FindDiscPreset(split_choice)) {
        // "DVD-5 (4.7GB)" reads as "DVD-5": the figure in brackets is the disc's nominal size,
        // not what the limit lets it hold.
        std::string_view name = preset->text.substr(0, preset->text.find(" ("));
        return DiscCapacity{std::string(name), static_cast<double>(preset->limit_kib) * 1024.0};
    }
    if (split_choice == split::kCustom && custom_split_mb > 0)
        return DiscCapacity{std::string(split::kCustom), custom_split_mb * kSplitMegabyteBytes};
    return std::nullopt;
}

SplitScope ScopeOf(const ProfileRecord &current, std::string_view split_choice, int custom_split_mb,
                   bool same_profile)
{
    if (!CapacityOf(split_choice, custom_split_mb))
        return SplitScope::None;
    const auto tokens = SplitOptionString(current.Para.view());
    if (std::find(tokens.begin(), tokens.end(), "-fs") == tokens.end())
        return SplitScope::None;
    return IsDiscFamily(current.profile_path.view(), same_profile) ? SplitScope::WholeBatch
                                                                   : SplitScope::EachOutput;
}

std::string CannotFitText(const Texts &texts, int file_count, double lowest_bytes,
                          const DiscCapacity &capacity)
{
    const std::string need = FormatSplitSize(lowest_bytes);
    const std::string holds = FormatSplitSize(capacity.bytes);
    // A disc's name is the same in every language; Custom is the split list's own word.
    const std::string name = capacity.name == split::kCustom
        ? texts.Lookup("MAIN_DLG", "strSplitCustomInfo", capacity.name)
        : capacity.name;
    if (file_count == 1) {
        const auto &text = size_texts::kCannotFitOne;
        return FormatText(texts.LookupFormat(size_texts::kSection, text.key, text.default_text),
                          need.c_str(), name.c_str(), holds.c_str());
    }
    const auto &text = size_texts::kCannotFitMany;
    return FormatText(texts.LookupFormat(size_texts::kSection, text.key, text.default_text),
                      file_count, need.c_str(), name.c_str(), holds.c_str());
}

DiscBudget::DiscBudget(std::vector<PlanTask> tasks, double capacity_bytes)
    : m_tasks(std::move(tasks))
    , m_capacity_bytes(capacity_bytes)
    , m_made(m_tasks.size())
    , m_used_kbps(m_tasks.size(), 0.0)
    , m_encodes(m_tasks.size(), 0)
{
    Replan();
}

void DiscBudget::Replan()
{
    m_plan = PlanBatch(m_tasks, m_capacity_bytes, m_made);
}

double DiscBudget::LowestBytes(std::size_t index) const
{
    const PlanTask &task = m_tasks[index];
    if (!task.shape.HasVideo())
        return EstimateSize(task.shape).Total();
    return EstimateSize(WithVideoKbps(task.shape, LowestKbps(task))).Total();
}

void DiscBudget::OutputMissing(std::size_t index)
{
    if (index >= m_tasks.size())
        return;
    m_made[index] = 0.0;
    Replan();
}

NextStep DiscBudget::OutputFinished(std::size_t index, double real_bytes)
{
    if (index >= m_tasks.size())
        return {};
    const PlanTask &task = m_tasks[index];
    const TaskPlan planned = m_plan.tasks[index];
    ++m_encodes[index];
    if (m_used_kbps[index] <= 0)
        m_used_kbps[index] = planned.change_rate ? planned.video_kbps : task.natural_kbps;

    // What the others leave this output: the capacity less the outputs made and what the ones
    // still to come need at their lowest rates.
    double room = m_capacity_bytes;
    for (std::size_t j = 0; j < m_tasks.size(); ++j) {
        if (j == index)
            continue;
        room -= m_made[j] ? *m_made[j] : LowestBytes(j);
    }
    const bool binding = m_plan.status != PlanStatus::Unchanged;
    const bool overshot = real_bytes > planned.bytes * (1.0 + kOvershootTolerance);
    const bool crowds_out = real_bytes > room;
    if (task.shape.HasVideo() && ((overshot && binding) || crowds_out)
        && m_encodes[index] < kMaxEncodesEach) {
        const double share = crowds_out ? std::min(planned.bytes, room) : planned.bytes;
        const double wanted = VideoKbpsForSize(task.shape, share * kEncodeAgainMargin);
        // The encoder missed by as much as the output shows: ask the same much less of it.
        const double achieved = VideoKbpsForSize(task.shape, real_bytes);
        const double used = m_used_kbps[index];
        const double correction = used > 0 && achieved > 0 ? used / achieved : 1.0;
        const double lowest = LowestKbps(task);
        const double rate = std::floor(std::max(wanted * correction, lowest));
        if (used <= 0 || rate < used - 0.5) {
            m_used_kbps[index] = rate;
            m_plan.tasks[index].video_kbps = rate;
            m_plan.tasks[index].change_rate = true;
            m_plan.tasks[index].two_pass = true;
            m_plan.tasks[index].at_lowest = rate <= lowest;
            return {NextStep::Action::EncodeAgain, rate};
        }
    }
    m_made[index] = real_bytes;
    Replan();
    return {};
}

} // namespace quillet::sizing
