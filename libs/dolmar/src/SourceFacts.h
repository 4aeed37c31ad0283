// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

extern "C" {
#include <libavformat/avformat.h>
}

#include <string>
#include <vector>

namespace dolmar {

/// One stream of a source as the output decisions see it.
struct SourceStream
{
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    bool cover_art = false; ///< a picture attached to an audio file, not video
    int width = 0;
    int height = 0;
    AVPixelFormat pixel_format = AV_PIX_FMT_NONE;
    AVRational guessed_frame_rate{0, 1}; ///< FFmpeg's best guess from stream and container
    AVRational average_frame_rate{0, 1}; ///< the stream's own average
    AVRational sample_aspect{0, 1}; ///< from the stream or the container; 0/1 when neither says
    int upright_turn = 0; ///< clockwise degrees that show the stored picture upright
    /// How the stream says its pictures are scanned; interlaced ones are made progressive.
    AVFieldOrder field_order = AV_FIELD_UNKNOWN;
    int sample_rate = 0;
    int channels = 0;
    AVSampleFormat sample_format = AV_SAMPLE_FMT_NONE;

    /// The picture as it is shown: width, height and pixel aspect after the upright turn.
    int UprightWidth() const;
    int UprightHeight() const;
    AVRational UprightSampleAspect() const;
};

/// What the output decisions need to know of a source, read once from its demuxer: plain values,
/// so that the decisions can be made (and tested) without a file.
struct SourceFacts
{
    std::string path;
    std::vector<SourceStream> streams;

    /// The first real video stream (cover art excluded) and the first audio stream, or -1.
    int FirstVideoStream() const;
    int FirstAudioStream() const;

    /// The facts of an opened (and probed) source.
    static SourceFacts Read(AVFormatContext *format, const std::string &path);
};

} // namespace dolmar
