// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace mkvextract {

/// What the top level of a Matroska file says about its own completeness. mkvmerge and
/// mkvextract both read a cut file without complaint: the first lists whatever tracks it found
/// before the cut, the second writes whatever frames it found and exits with success. The
/// element sizes of the EBML structure tell the truth, so we walk the Segment's children (their
/// headers only; a few reads per cluster) and compare the sizes with the file's length.
struct MatroskaLayout
{
    bool scanned = false; ///< the file starts with an EBML header followed by a Segment
    bool track_list_complete = false; ///< a Tracks element lies entirely inside the file
    bool cut_short = false; ///< an element or the Segment claims bytes past the end of the file

    /// Scans path. Never throws; a file it cannot make sense of gives scanned == false, and then
    /// the other members say nothing.
    static MatroskaLayout Scan(const std::string &path);
};

} // namespace mkvextract
