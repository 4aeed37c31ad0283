// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

extern "C" {
#include <libavformat/avformat.h>
}

#include <string>
#include <vector>

namespace dolmar {

/// When the pictures of a stream whose rate varies are shown, read without decoding anything:
/// what frame_rate::Sustained measures the source's real rate from. A phone writes 30 frames a
/// second in good light and 15 in the dark; the container's time base (1/120, 1/1000) is no
/// rate at all.
class FrameTiming
{
public:
    /// From the demuxer's index, where it lists every picture (MP4 and MOV do, from their
    /// sample tables); empty when it lists fewer (Matroska indexes key frames only).
    static std::vector<double> FromIndex(AVStream *stream);

    /// From the packets of the stream, read from a second opening of the file (a regular file
    /// only: a pipe's data belongs to the conversion), at most its first 20 seconds or 32 MiB.
    /// Empty when the file cannot be read.
    static std::vector<double> FromPackets(const std::string &path, const std::string &format,
                                           int stream_index, const AVIOInterruptCB &interrupt);
};

} // namespace dolmar
