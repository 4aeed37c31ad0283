// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

extern "C" {
#include <libavformat/avio.h>
}

#include <optional>
#include <string>
#include <vector>

namespace dolmar {

/// Recognises film carried in a 29.97 interlaced stream by 3:2 pulldown (or 2:3:3:2): of every
/// five pictures, the same one or two are woven from two film frames and the others are clean.
/// Such a stream is restored to its 23.976 film frames (field matching, then one picture of
/// five dropped) instead of being deinterlaced into blends and repeats. The output's rate must be
/// known before its encoder opens, so the first pictures are looked at before the conversion;
/// only a stream at 29.97 that does not state progressive scanning is looked at.
class FilmCadence
{
public:
    /// The pictures looked at: eight cycles of five, well under a second of decoding for SD and
    /// 1080i video.
    static constexpr int kPictures = 40;

    /**
     * Which of the pictures, in order, are woven (CombDetector's verdicts) fits a pulldown: the
     * woven ones fall on the same one or two adjacent places of every cycle of five, a few
     * exceptions aside (a cut), and there are enough of them to tell (still pictures decide
     * nothing).
     */
    static bool IsPulldown(const std::vector<bool> &woven);

    /// Looks at the first pictures of the stream. The top field's first-ness of the film's
    /// fields when they are pulled down, else nothing.
    static std::optional<bool> Detect(const std::string &path, const std::string &format,
                                      int stream_index, const AVIOInterruptCB &interrupt);
};

} // namespace dolmar
