// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionPlan.h"
#include "OutputTargets.h"

#include <string>

struct AVCodecContext;

namespace dolmar {

/// Turns the dialect's encoder options into settings of an AVCodecContext before it is opened.
///
/// Rate control when no bit rate is given (-b 0 or none): libx264 keeps its own constant-quality
/// default (CRF 23); the MPEG-style encoders (mpeg4, xvid, mpeg1/2, msmpeg4, wmv, h263, flv,
/// mjpeg) get a fixed quantiser of 3, 2 with -hq, instead of their 200 kbit/s default.
/// -hq: libx264 preset "slow" (unless -preset names one); MPEG-style encoders rate-distortion
/// macroblock decisions and trellis quantisation, mpeg4 also four motion vectors per macroblock;
/// libxvid its best motion search; every scaler uses Lanczos instead of bicubic.
class EncoderSettings
{
public:
    /// Throws EngineError(BadArgs) naming the option an encoder cannot take.
    static void ApplyVideo(AVCodecContext *ctx, const VideoTarget &target,
                           const OutputOptions &output);
    static void ApplyAudio(AVCodecContext *ctx, const AudioTarget &target,
                           const OutputOptions &output);
    /// The statistics file of a two-pass encode (-pass, -passlogfile): "PREFIX-0.log", as the
    /// classic command-line converter names the first stream's. Throws BadArgs without a prefix.
    static std::string PassLogPath(const VideoSettings &video);
};

} // namespace dolmar
