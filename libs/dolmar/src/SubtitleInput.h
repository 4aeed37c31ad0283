// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AvOwners.h"

#include <string>

namespace dolmar {

/// A subtitle file with more packets than this is not a subtitle file: reading stops there.
inline constexpr int kMaxSubtitlePackets = 1000000;

/// A subtitle file opened for reading: its demuxer and its first subtitle stream.
struct SubtitleInput
{
    InputContextPtr format;
    const AVStream *stream = nullptr;

    /// Opens path (with a forced demuxer and options when given). Throws EngineError when the
    /// file cannot be read or holds no subtitles.
    static SubtitleInput Open(const std::string &path, const AVInputFormat *forced = nullptr,
                              AVDictionary **options = nullptr);

    /// A decoder for the stream, opened with codec options (may be null). Throws EngineError
    /// when this system has none for it.
    CodecContextPtr OpenDecoder(const std::string &path, AVDictionary **codec_options) const;
};

} // namespace dolmar
