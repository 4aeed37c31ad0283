// SPDX-License-Identifier: GPL-3.0-or-later
#include "TaskFixtures.h"

#include <cstdio>
#include <cstdlib>

namespace quillet::test {

std::unique_ptr<Task> MakeProbedTask(const std::string &source, const std::string &output,
                                     int audio_streams, bool video)
{
    auto task = std::make_unique<Task>();
    task->source_path = source;
    task->destination_path = output;
    const int count = audio_streams + (video ? 1 : 0);
    StreamInfo **slot = task->streams.Receive();
    // The engine's arrays are released with FreeStreamInfo, which frees malloc'd memory.
    *slot = static_cast<StreamInfo *>(
        std::calloc(static_cast<std::size_t>(count), sizeof(StreamInfo)));
    task->context.stream_count = count;
    task->context.audio_stream_count = audio_streams;
    task->context.video_stream_index = video ? 0 : -1;
    for (int i = 0; i < count; ++i) {
        StreamInfo &s = (*slot)[i];
        s.kind = (video && i == 0) ? DOLMAR_KIND_VIDEO : DOLMAR_KIND_AUDIO;
        std::snprintf(s.description, sizeof s.description, "stream %d", i);
        if (s.kind == DOLMAR_KIND_AUDIO) {
            int ordinal = static_cast<int>(task->audio_tracks.size());
            task->audio_tracks.push_back({ordinal, ordinal == 0 ? 1 : 0, s.description});
        }
    }
    task->settings.cAudioCodec = "auto";
    task->settings.cVideoCodec = "auto";
    return task;
}

} // namespace quillet::test
