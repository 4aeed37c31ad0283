// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionPlan.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

extern "C" {
#include <libavformat/avio.h>
}

struct AVFormatContext;

namespace dolmar {

/// One chapter, on the output's clock.
struct Chapter
{
    double start_s = 0;
    double end_s = 0;
    std::vector<std::pair<std::string, std::string>> tags; ///< "title" and whatever else it has
};

/// The chapters an output carries: the source's, moved and cut by -ss and -t; in a merged run
/// one per joined file, named after its title tag or else its file name. Every container that
/// holds chapters gets them (MP4, M4A, M4V and MOV, Matroska, Ogg, MP3, WMV); the others have
/// no place for them.
class Chapters
{
public:
    /// A source's chapters on its own clock (source seconds: from the container's start time).
    static std::vector<Chapter> Read(const AVFormatContext *source);

    /// The chapters as an output made from start_s (-ss) for at most length_s (-t) shows them:
    /// moved back by start_s, cut at the output's ends; a chapter left without length goes.
    static std::vector<Chapter> Trimmed(const std::vector<Chapter> &chapters, double start_s,
                                        std::optional<double> length_s);

    /**
     * One chapter per segment of a merged run, each starting where the segment's picture and
     * sound start in the output: each file's header is read for its title and its length (the
     * longer of picture and sound after -ss/-t, less the sound's codec padding past the picture,
     * as the run joins them). A file that cannot be read adds no length and keeps its name.
     */
    static std::vector<Chapter> PerSegment(const std::vector<InputOptions> &segments,
                                           const AVIOInterruptCB &interrupt);

    /// A segment's title: its title tag, else its file name without folder and extension.
    static std::string SegmentTitle(const std::string &path, const std::string &title_tag);

    /// Gives output the chapters; call before the header is written.
    static void Apply(const std::vector<Chapter> &chapters, AVFormatContext *output);
};

} // namespace dolmar
