// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/SizeModel.h"

#include <cstdio>

namespace quillet::sizing {

namespace {

double StreamBytes(const StreamPart &part, double seconds)
{
    if (part.kind == RateKind::Absent)
        return 0;
    return part.kbps * 1000.0 / 8.0 * seconds;
}

/// What the container adds besides the share that grows with the payload.
double FramingBytes(const OutputShape &shape, const ContainerOverhead &overhead)
{
    const double seconds = shape.duration_s;
    double bytes = overhead.fixed_bytes + overhead.per_second_bytes * seconds;
    if (shape.HasVideo())
        bytes += overhead.per_video_packet_bytes * shape.video.packets_per_s * seconds;
    for (const auto &track : shape.audio)
        if (track.kind != RateKind::Absent)
            bytes += overhead.per_audio_packet_bytes * track.packets_per_s * seconds;
    return bytes;
}

} // namespace

SizeBreakdown EstimateSize(const OutputShape &shape)
{
    SizeBreakdown size;
    const double seconds = shape.duration_s > 0 ? shape.duration_s : 0;
    size.video_bytes = StreamBytes(shape.video, seconds);
    size.exact = shape.video.kind != RateKind::QualityBased;
    for (const auto &track : shape.audio) {
        size.audio_bytes += StreamBytes(track, seconds);
        size.exact = size.exact && track.kind != RateKind::QualityBased;
    }
    size.subtitle_bytes = shape.subtitle_bytes;
    const ContainerOverhead &overhead = OverheadOf(shape.container);
    OutputShape timed = shape;
    timed.duration_s = seconds;
    size.overhead_bytes = FramingBytes(timed, overhead)
        + overhead.payload_ratio * (size.video_bytes + size.audio_bytes + size.subtitle_bytes);
    return size;
}

OutputShape WithVideoKbps(OutputShape shape, double kbps)
{
    if (shape.HasVideo()) {
        shape.video.kind = RateKind::Fixed;
        shape.video.kbps = kbps;
    }
    return shape;
}

double VideoKbpsForSize(const OutputShape &shape, double total_bytes)
{
    if (!shape.HasVideo() || !(shape.duration_s > 0))
        return 0;
    const SizeBreakdown without_video = EstimateSize(WithVideoKbps(shape, 0));
    const double ratio = 1.0 + OverheadOf(shape.container).payload_ratio;
    const double video_bytes = (total_bytes - without_video.Total()) / ratio;
    return video_bytes * 8.0 / 1000.0 / shape.duration_s;
}

std::string FormatSplitSize(double bytes)
{
    const double megabytes = bytes / kSplitMegabyteBytes;
    char text[48];
    if (megabytes >= 1000)
        std::snprintf(text, sizeof text, "%.1f GB", megabytes / 1000);
    else
        std::snprintf(text, sizeof text, "%.1f MB", megabytes);
    return text;
}

} // namespace quillet::sizing
