// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

struct AVCodec;
struct AVOutputFormat;

namespace dolmar {

/// The codec names of the dialect (the option sheet's lists: "h264", "mp3", "xvid", "amr_nb" ...)
/// mapped to the encoders this FFmpeg build has, and each output format's default encoders.
class CodecCatalog
{
public:
    /// True for "", "auto" in any case: let the output format choose.
    static bool IsAuto(std::string_view name);

    /// The encoder for a dialect video codec name. Throws EngineError(BadArgs) naming the codec
    /// when the name is unknown or this system has no encoder for it.
    static const AVCodec *VideoEncoder(std::string_view name);
    static const AVCodec *AudioEncoder(std::string_view name);

    /// The muxer for the output: forced by -f, else from the file's extension. Throws.
    static const AVOutputFormat *OutputFormat(const std::string &path, const std::string &forced);

    /// The encoder a file of this format gets when no codec is named; null when the format holds
    /// no video (an .mp3, .m4a or .wav) or no audio. Throws when the default exists but this
    /// system has no encoder for it.
    static const AVCodec *DefaultVideoEncoder(const AVOutputFormat *format,
                                              const std::string &path);
    static const AVCodec *DefaultAudioEncoder(const AVOutputFormat *format,
                                              const std::string &path);

    /// Refuses (BadArgs) an encoder the container cannot hold, when FFmpeg knows it cannot.
    static void CheckFits(const AVOutputFormat *format, const AVCodec *encoder,
                          const std::string &path);
};

} // namespace dolmar
