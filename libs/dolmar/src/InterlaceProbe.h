// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

extern "C" {
#include <libavcodec/codec_par.h>
}

#include <cstdint>
#include <string>

namespace dolmar {

/// What the idet filter counted over the first pictures of a stream.
struct FieldCounts
{
    int64_t top_first = 0;
    int64_t bottom_first = 0;
    int64_t progressive = 0;
    int64_t undetermined = 0;

    /// Interlaced only when the fields clearly outnumber the progressive pictures; a still or
    /// dark start leaves most pictures undetermined, and those decide nothing.
    AVFieldOrder Verdict() const;
};

/// Answers whether a stream that does not state its scanning is interlaced, by looking at its
/// pictures: the first ones are decoded through libavfilter's idet filter. Opens the file on its
/// own, so the conversion's demuxer is not disturbed.
class InterlaceProbe
{
public:
    /// The pictures looked at: enough for idet's multi-frame counts to settle, few enough to
    /// take well under a second for HD video.
    static constexpr int kPictures = 36;

    /// AV_FIELD_TT or AV_FIELD_BB for an interlaced stream, else AV_FIELD_PROGRESSIVE; a file
    /// that cannot be read counts as progressive (the conversion reports its own errors).
    static AVFieldOrder Detect(const std::string &path, int stream_index);

    /// The counts over the first kPictures pictures of the stream.
    static FieldCounts Count(const std::string &path, int stream_index);
};

} // namespace dolmar
