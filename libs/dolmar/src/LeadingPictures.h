// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

#include <functional>
#include <string>

namespace dolmar {

/// The first pictures of a video stream, decoded from a second opening of its file, for the few
/// decisions that must be made before the output's encoder opens and that only pictures can
/// answer (the cadence of film in an NTSC stream, the mastering data an HEVC stream keeps in each
/// picture). Only what needs it looks: it costs a file open and the pictures decoded.
class LeadingPictures
{
public:
    /// Receives each picture; returns false when it has seen enough.
    using Sink = std::function<bool(const AVFrame *)>;

    /**
     * Decodes up to max_pictures pictures of stream_index from path and hands each to sink.
     * Only a regular file is opened again (a pipe's data belongs to the conversion); a file
     * that cannot be read gives no pictures, as the conversion reports its own errors.
     * @param interrupt called inside the reads and between pictures (the caller's progress
     *        reports); a non-zero answer ends the look
     * @return the number of pictures handed on
     */
    static int Decode(const std::string &path, const std::string &format, int stream_index,
                      int max_pictures, const Sink &sink, const AVIOInterruptCB &interrupt);

    /// Opens path for one of these looks: a regular file only, its reads interrupted by
    /// interrupt. Null when it cannot be opened.
    static AVFormatContext *Open(const std::string &path, const std::string &format,
                                 const AVIOInterruptCB &interrupt);
};

} // namespace dolmar
