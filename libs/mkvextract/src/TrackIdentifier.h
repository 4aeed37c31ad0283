// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mkvextract {

/// One track as mkvmerge identifies it; the EmTrack fields before they are cut to size.
struct TrackRecord
{
    std::int32_t id = 0;
    std::int32_t type = 0; ///< EM_TRACK_*
    std::string codec_id; ///< Matroska codec ID, "S_TEXT/UTF8", "S_VOBSUB", ...
    std::string language;
    std::string name;
};

/// Identifies a Matroska file with `mkvmerge -J` and reads its tracks from the JSON report.
///
/// A file is refused (MkvError, Unreadable) when it is no regular file, when mkvmerge cannot be
/// started or reports errors, when the container is not Matroska or WebM, or when the file is
/// cut before its track list ends: mkvmerge would then list only the tracks before the cut, as
/// though that were all of them.
class TrackIdentifier
{
public:
    static std::vector<TrackRecord> Identify(const std::string &path);

    /// The path as an argument for mkvtoolnix: a relative path gets "./" in front, because the
    /// programs give a leading '-', '@' (option file), '+' (append) or '(' a meaning of its own.
    static std::string SafeArgument(const std::string &path);
};

} // namespace mkvextract
