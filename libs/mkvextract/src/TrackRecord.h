// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace mkvextract {

/// One track as mkvmerge identifies it; the EmTrack fields before they are cut to size.
struct TrackRecord
{
    std::int32_t id = 0; ///< mkvmerge's track id: the entry's place in the track list
    std::int32_t type = 0; ///< EM_TRACK_*
    std::string codec_id; ///< Matroska codec ID, "S_TEXT/UTF8", "S_VOBSUB", ...
    std::string language;
    std::string name;

    bool operator==(const TrackRecord &) const = default;
};

} // namespace mkvextract
