// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionPlan.h"
#include "HdrMetadata.h"
#include "SourceFacts.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include <optional>
#include <string>
#include <vector>

namespace dolmar {

/// How an output carries its source's brightness.
enum class DynamicRange {
    Standard, ///< an SDR source, as it is
    ToneMapped, ///< an HDR source mapped to BT.709 for an output that cannot show HDR
    Kept, ///< an HDR source kept HDR (10-bit HEVC, AV1, VP9), with its mastering data
};

/// The one picture format every segment is filtered into and the encoder receives.
struct VideoTarget
{
    const AVCodec *encoder = nullptr;
    int source_stream = -1; ///< in the first input
    int width = 0; ///< the final frame, pad bands included
    int height = 0;
    int inner_width = 0; ///< the picture before padding (after crop and scale)
    int inner_height = 0;
    AVPixelFormat pixel_format = AV_PIX_FMT_NONE;
    AVRational frame_rate{0, 1};
    AVRational sample_aspect{1, 1}; ///< of the final frame
    CropBands crop; ///< rounded to the chroma grid
    PadBands pad; ///< rounded to the chroma grid
    bool letterbox = false; ///< fit each segment into the inner size keeping its shape
    const char *scaler = "bicubic";
    DynamicRange dynamic_range = DynamicRange::Standard;
    /// The colour tags the output states; unspecified ones are left out.
    AVColorPrimaries color_primaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic color_transfer = AVCOL_TRC_UNSPECIFIED;
    AVColorSpace color_space = AVCOL_SPC_UNSPECIFIED;
    AVColorRange color_range = AVCOL_RANGE_UNSPECIFIED;
    HdrMetadata hdr; ///< what a kept HDR output says of its mastering
    /// Film pulled down to 29.97 interlaced pictures, restored to its frames: fields matched
    /// into whole frames, then the one repeated picture of every five dropped.
    bool film = false;
    bool film_top_first = true;
    AVRational film_source_rate{0, 1}; ///< the pulled-down pictures' rate
};

/// One audio stream of the output and the single format every segment is resampled to.
struct AudioTarget
{
    const AVCodec *encoder = nullptr;
    /// In the first input; merged segments use their first audio (-1: the first is silent).
    int source_stream = -1;
    AudioSettings settings;
    int sample_rate = 0;
    AVChannelLayout layout{}; ///< always a native-order layout: copying the struct is safe
    AVSampleFormat sample_format = AV_SAMPLE_FMT_NONE;
};

/// What the output will hold, decided once from the plan and the first input before anything is
/// encoded, so that later segments of a merged run are shaped to match it. Every choice the
/// output makes is here: streams, encoders, picture size, crop and pad on the chroma grid, pixel
/// format, frame rate, pixel aspect, sample rate, channels and sample format.
struct OutputTargets
{
    const AVOutputFormat *format = nullptr;
    std::optional<VideoTarget> video;
    std::vector<AudioTarget> audio;

    /// Throws EngineError(BadArgs) for a choice this input or this system cannot meet. sound: in
    /// a merged run whose first segment has no sound, the first segment that has, which the
    /// output's sound is shaped after.
    static OutputTargets Decide(const ConversionPlan &plan, const SourceFacts &first,
                                const SourceFacts *sound = nullptr);
};

} // namespace dolmar
