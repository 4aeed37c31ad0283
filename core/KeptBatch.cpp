// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/KeptBatch.h"

#include <cstdlib>
#include <cstring>

namespace quillet {

std::unique_ptr<Task> CopyOf(const Task &task)
{
    auto copy = std::make_unique<Task>();
    copy->source_path = task.source_path;
    copy->destination_path = task.destination_path;
    copy->route_flag = task.route_flag;
    copy->trim_start = task.trim_start;
    copy->trim_end = task.trim_end;
    copy->context = task.context;
    if (const StreamInfo *streams = task.streams.Get(); streams && task.context.stream_count > 0) {
        const auto count = static_cast<std::size_t>(task.context.stream_count);
        // The copy releases it through FreeStreamInfo, which frees memory of the malloc family.
        auto *array = static_cast<StreamInfo *>(std::malloc(count * sizeof(StreamInfo)));
        if (array)
            std::memcpy(array, streams, count * sizeof(StreamInfo));
        *copy->streams.Receive() = array;
    } else if (!task.streams.NeverProbed()) {
        copy->streams.Reset();
    }
    copy->source_width = task.source_width;
    copy->source_height = task.source_height;
    copy->source_display_aspect = task.source_display_aspect;
    copy->start_time_s = task.start_time_s;
    copy->duration_s = task.duration_s;
    copy->bit_rate_kbps = task.bit_rate_kbps;
    copy->information = task.information;
    copy->video_description = task.video_description;
    copy->audio_tracks = task.audio_tracks;
    copy->subtitle_path = task.subtitle_path;
    copy->subtitle_candidates = task.subtitle_candidates;
    copy->aspect_index = task.aspect_index;
    copy->settings = task.settings;
    copy->preparation_failure = task.preparation_failure;
    return copy;
}

SourceCondition ConditionOf(const std::string &path,
                            const std::optional<platform::FileStamp> &added_stamp)
{
    const std::optional<platform::FileStamp> now = platform::StampOf(path);
    if (!now)
        return SourceCondition::Gone;
    if (!added_stamp || !now->regular || *now != *added_stamp)
        return SourceCondition::Changed;
    return SourceCondition::Unchanged;
}

bool operator==(const RunFacts &a, const RunFacts &b)
{
    const auto same_result = [](const TaskResult &x, const TaskResult &y) {
        return x.source == y.source && x.output == y.output && x.status == y.status
            && x.reason == y.reason && x.seconds == y.seconds;
    };
    return a.running == b.running && a.claimed == b.claimed && a.made == b.made
        && a.result.has_value() == b.result.has_value()
        && (!a.result || same_result(*a.result, *b.result));
}

bool OutputWasMade(const TaskResult &result)
{
    // A result names an output only when one was written; only a failure has none made.
    return !result.output.empty() && result.status != TaskResult::Status::Failed;
}

} // namespace quillet
