// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

extern "C" {
#include <libavcodec/codec_par.h>
}

#include <string>

namespace dolmar {

/// Formerly looked at the first pictures of a stream that does not state its scanning to call
/// the whole stream interlaced or not; a sharp moving pattern fooled it, and its look cost every
/// such job a decode before the conversion began. Such streams are now judged picture by
/// picture while they convert (CombDetector in VideoFilter), so nothing is looked at here.
class InterlaceProbe
{
public:
    /// AV_FIELD_UNKNOWN: the scanning is judged on each picture as it converts.
    static AVFieldOrder Detect(const std::string &path, int stream_index);
};

} // namespace dolmar
