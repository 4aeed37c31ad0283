// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dolmar.h"

#include <string>

struct AVFormatContext;
struct AVStream;

namespace dolmar {

/// What GetMediaFileInfo reports: the whole file into MediaContext, each stream into one
/// StreamInfo, in the source's own stream order so that array positions are stream indexes.
class MediaProbe
{
public:
    /// Fills ctx and, on success, *streams with a malloc'ed array of ctx->stream_count records.
    /// A file that cannot be opened leaves stream_count 0 and *streams null and returns the
    /// negative FFmpeg error code.
    static int Probe(const char *path, MediaContext *ctx, StreamInfo **streams);

    /// The stream's kind for StreamInfo.kind: cover art counts as "other", not as video.
    static int KindOf(const AVStream *stream);

    /// One line a user can read: "Video: h264 (High), 1920x1080, 25 fps, 4500 kb/s"; a picture
    /// stored turned shows its upright size and the turn: "720x1280, rotation 90".
    static std::string Describe(const AVFormatContext *format, const AVStream *stream);

    /// width * SAR / height of the upright picture, or 0 when neither the stream nor the
    /// container states an aspect.
    static float DisplayAspect(AVFormatContext *format, AVStream *stream);
};

} // namespace dolmar
