// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HdrMetadata.h"

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
    /// For a stream whose rate varies: the highest rate its pictures keep up for a second, as
    /// far as the demuxer's index shows it without reading the file; 0/1 when not known.
    AVRational sustained_frame_rate{0, 1};
    AVRational sample_aspect{0, 1}; ///< from the stream or the container; 0/1 when neither says
    int upright_turn = 0; ///< clockwise degrees that show the stored picture upright
    /// How the stream says its pictures are scanned; interlaced ones are made progressive.
    AVFieldOrder field_order = AV_FIELD_UNKNOWN;
    /// How its colours and brightness are coded, as the stream states them.
    AVColorPrimaries color_primaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic color_transfer = AVCOL_TRC_UNSPECIFIED;
    AVColorSpace color_space = AVCOL_SPC_UNSPECIFIED;
    AVColorRange color_range = AVCOL_RANGE_UNSPECIFIED;
    /// The mastering display and light levels the stream states (not those in its pictures).
    HdrMetadata hdr;
    int sample_rate = 0;
    int channels = 0;
    AVSampleFormat sample_format = AV_SAMPLE_FMT_NONE;

    /// The picture as it is shown: width, height and pixel aspect after the upright turn.
    int UprightWidth() const;
    int UprightHeight() const;
    AVRational UprightSampleAspect() const;

    /// Coded in HDR: an HDR transfer, or mastering data on pictures of 10 bits or more whose
    /// transfer is not stated (HDR10 then).
    bool Hdr() const;
    /// The transfer of an HDR stream (PQ when only the mastering data says so).
    AVColorTransferCharacteristic HdrTransfer() const;
    /// The stated rate is no picture rate: the container's clock (1/120, 1/1000) taken for one,
    /// or far from the stream's own average. Such a stream's pictures come at varying times.
    bool VariableRate() const;
};

/// What the output decisions need to know of a source, read once from its demuxer: plain values,
/// so that the decisions can be made (and tested) without a file.
struct SourceFacts
{
    std::string path;
    std::vector<SourceStream> streams;
    /// The opened input's interrupt callback: a second look into the file (its first pictures,
    /// its packets' times) keeps the caller's progress reports going through it, and ends when
    /// the caller stops. Null for facts made up by tests.
    AVIOInterruptCB interrupt{};

    /// The first real video stream (cover art excluded) and the first audio stream, or -1.
    int FirstVideoStream() const;
    int FirstAudioStream() const;

    /// The facts of an opened (and probed) source.
    static SourceFacts Read(AVFormatContext *format, const std::string &path);
};

} // namespace dolmar
