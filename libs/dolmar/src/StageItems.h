// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What travels between the stages (Scheduler.h draws the pipeline), and what each item weighs in
// a queue's byte limit.

#include "AvOwners.h"
#include "ThreadQueue.h"

#include <cstddef>
#include <cstdint>

namespace dolmar {

/// Demuxer -> decoder: one packet of the decoder's stream.
using PacketQueue = ThreadQueue<PacketPtr>;

/// Decoder -> filter graph: a decoded frame (timestamps in source seconds' time base), or, with
/// no frame, the -t point at close_pts where the graph's input ends.
struct RouteItem
{
    FramePtr frame;
    AVRational time_base{1, 1};
    int64_t close_pts = 0;
};
using RouteQueue = ThreadQueue<RouteItem>;

/// Filter graph -> session: a frame in the output stream's format; audio_output -1 for the
/// picture, else the index of the output's audio stream.
struct SessionItem
{
    FramePtr frame;
    AVRational time_base{1, 1};
    int audio_output = -1;
};
using SessionQueue = ThreadQueue<SessionItem>;

/// Session -> encoder: the frames of one output stream.
using FrameQueue = ThreadQueue<FramePtr>;

/// Encoder -> muxer: one encoded packet in its encoder's time base.
struct MuxItem
{
    PacketPtr packet;
    int stream_index = 0;
    AVRational time_base{1, 1};
};
using MuxQueue = ThreadQueue<MuxItem>;

/// The bytes a frame keeps alive (its buffers, shared or not).
inline std::size_t FrameBytes(const AVFrame *frame)
{
    std::size_t bytes = 0;
    for (const AVBufferRef *buffer : frame->buf)
        if (buffer)
            bytes += buffer->size;
    for (int i = 0; i < frame->nb_extended_buf; ++i)
        bytes += frame->extended_buf[i]->size;
    return bytes;
}

inline std::size_t PacketBytes(const AVPacket *packet)
{
    return packet->size > 0 ? static_cast<std::size_t>(packet->size) : 0;
}

/// The limits of each kind of queue. Each picture held costs its size: on bench_engine's 720p
/// job, queues of four pictures (sixteen items to the session) peaked at 169 MiB, of two (eight)
/// at 163 MiB, the ffmpeg program at 155 MiB, and the wall time did not differ beyond the
/// machine's noise. Sound frames are many and small, packets smaller still; the byte limits keep
/// a queue of 4K pictures within tens of megabytes.
inline constexpr QueueLimits kPacketLimits{64, std::size_t{16} << 20};
inline constexpr QueueLimits kPictureLimits{2, std::size_t{64} << 20};
inline constexpr QueueLimits kSoundLimits{32, std::size_t{8} << 20};
inline constexpr QueueLimits kSessionLimits{8, std::size_t{64} << 20};
inline constexpr QueueLimits kMuxLimits{64, std::size_t{32} << 20};

} // namespace dolmar
