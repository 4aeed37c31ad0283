// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

/**
 * What each output container adds around the encoded streams: headers, per-packet framing,
 * periodic tables and the index, as measured on this engine's own outputs. The size model
 * (SizeModel.h) adds it to the streams' bytes.
 */
namespace quillet::sizing {

/// The containers the engine writes, as far as what they add differs.
enum class Container {
    Mp4, ///< mp4, m4v (and 3gp, which muxes alike)
    Mov,
    M4a, ///< m4a, m4b: MP4 without a picture
    MpegTs, ///< ts, m2ts, mts, m2t
    MpegPs, ///< vob, mpg, mpeg (DVD and SVCD packs)
    Avi,
    Asf, ///< wmv, asf, wma
    Matroska, ///< mkv, mka, webm
    Mp3,
    Wav,
    Other, ///< anything else: a generic allowance
};

/**
 * The bytes a container adds to an output:
 *   fixed + per_second x seconds + per_video_packet x pictures + per_audio_packet x audio frames
 *   + payload_ratio x the streams' bytes
 */
struct ContainerOverhead
{
    Container container;
    std::string_view name;
    double fixed_bytes;
    double per_second_bytes;
    double per_video_packet_bytes;
    double per_audio_packet_bytes;
    double payload_ratio;
};

/**
 * The container of an output: the format forced with -f when it names one (dvd, mpegts, mp4 ...),
 * else the output's extension (without its dot). Case does not matter.
 */
Container ContainerFor(std::string_view extension, std::string_view forced_format = {});

/// What container adds, from the measured table.
const ContainerOverhead &OverheadOf(Container container);

} // namespace quillet::sizing
