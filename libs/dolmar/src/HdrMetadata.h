// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mastering_display_metadata.h>
}

#include <optional>
#include <string>

namespace dolmar {

/// What an HDR10 source says of the display it was mastered on and of its brightest light: kept
/// with the picture when the output stays HDR, so that a television maps it as it was meant.
/// Sources keep it on the stream (MP4's mdcv and clli boxes, Matroska's colour element) or in
/// every picture (HEVC's SEI messages).
struct HdrMetadata
{
    std::optional<AVMasteringDisplayMetadata> mastering;
    std::optional<AVContentLightMetadata> light;

    bool Any() const { return mastering.has_value() || light.has_value(); }

    /// libx265's settings for the same data ("master-display=G(13250,34500)...:max-cll=1000,400"):
    /// FFmpeg 5.1 passes no side data to it, so it would write none. "" when there is nothing.
    std::string X265Params() const;

    /// Adds the data to an encoder's coded side data, whence the muxer gives it to its stream.
    void AddTo(AVCodecContext *encoder) const;

    static HdrMetadata FromStream(const AVStream *stream);
    static HdrMetadata FromFrame(const AVFrame *frame);
    /// From the first picture of a stream whose file keeps the data in its pictures only.
    static HdrMetadata FromFirstPicture(const std::string &path, const std::string &format,
                                        int stream_index, const AVIOInterruptCB &interrupt);
};

/// How a picture's brightness is coded: the rules that tell HDR from SDR.
namespace dynamic_range {

/// PQ (SMPTE ST 2084, HDR10) and HLG (ARIB STD-B67) are the HDR transfers.
bool IsHdrTransfer(AVColorTransferCharacteristic transfer);

/// An output keeps HDR when its encoder is one whose streams players take as HDR (HEVC, AV1,
/// VP9) or a lossless one (FFV1), and its pixels have at least 10 bits; any other output gets the
/// picture tone-mapped.
bool KeepsHdr(const AVCodec *encoder, AVPixelFormat pixel_format);

/// True for a picture coded in HDR: an HDR transfer, or a stated mastering display on pictures
/// of 10 bits or more whose transfer nobody stated (then PQ, as HDR10 is).
bool IsHdrFrame(const AVFrame *frame);

/// The transfer of such a picture.
AVColorTransferCharacteristic FrameTransfer(const AVFrame *frame);

} // namespace dynamic_range

} // namespace dolmar
