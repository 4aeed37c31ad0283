// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/FixedString.h"
#include "core/ProfileRecord.h"

#include <dolmar.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quillet {

/// One audio stream of a source, as the user may choose it.
struct AudioTrack
{
    int ordinal = 0; ///< position among the task's audio tracks
    int selected = 0; ///< 1 when the track goes into the output
    FixedString<128> description;
};

/// A trim point on the source's own time line.
struct TrimPoint
{
    int64_t us = -1;
    int unset = 1; ///< 1 = no trim point
    bool IsSet() const { return unset == 0; }
};

/**
 * Owner of the engine's StreamInfo array: released with FreeStreamInfo. Before the first probe it
 * holds the never-probed state (nothing to release); after a failed probe it is null.
 */
class StreamArray
{
public:
    StreamArray() = default;
    ~StreamArray() { Reset(); }
    StreamArray(const StreamArray &) = delete;
    StreamArray &operator=(const StreamArray &) = delete;

    bool NeverProbed() const { return m_never_probed; }
    const StreamInfo *Get() const { return m_streams; }
    /// Releases what is held; the array becomes null (probed, nothing there).
    void Reset();
    /// Releases what is held and returns the slot for the engine to fill.
    StreamInfo **Receive();

private:
    StreamInfo *m_streams = nullptr;
    bool m_never_probed = true;
};

/**
 * One source file of the batch: its path and output path, what the probe learnt of it, the
 * user's choices (trim, audio tracks, subtitle) and its own copy of the profile.
 */
struct Task
{
    std::string source_path;
    std::string destination_path;
    int route_flag = 0; ///< 1 for formats meant for the platform's media route
    TrimPoint trim_start;
    TrimPoint trim_end;

    MediaContext context{}; ///< what the engine reported of the whole file
    StreamArray streams; ///< context.stream_count entries when probed

    int source_width = 0;
    int source_height = 0;
    float source_display_aspect = 0;
    float start_time_s = 0;
    float duration_s = 0;
    int bit_rate_kbps = 0;
    FixedString<1024> information;
    FixedString<512> video_description;
    std::vector<AudioTrack> audio_tracks;

    std::string subtitle_path; ///< burnt into the picture when not empty
    std::vector<std::string> subtitle_candidates;

    int aspect_index = -1; ///< aspect-calculation index; below 0 means none
    ProfileRecord settings;

    /// Why a step before the conversion failed (extracting the subtitles asked for); such a task
    /// is reported as failed and not converted. Empty when nothing failed.
    std::string preparation_failure;

    Task() = default;
    Task(const Task &) = delete;
    Task &operator=(const Task &) = delete;

    /// Number of streams in the array (0 when there is none).
    int StreamCount() const;
    bool HasVideo() const { return context.video_stream_index >= 0; }
    bool HasAudio() const { return context.audio_stream_count > 0; }
    /// The stream index of the n-th audio stream of the source, or -1.
    int AudioStreamIndex(int n) const;
};

} // namespace quillet
