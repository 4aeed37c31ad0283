// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TrackRecord.h"

#include <string>
#include <vector>

namespace mkvextract {

/// Identifies the tracks of a Matroska file as `mkvmerge -J` does.
///
/// A file is refused (MkvError, Unreadable) when it is no regular file, when mkvmerge cannot be
/// started or reports errors, when the container is not Matroska or WebM, or when the file is
/// cut before its track list ends: mkvmerge would then list only the tracks before the cut, as
/// though that were all of them.
class TrackIdentifier
{
public:
    /// Reads the track list in this process (TrackHeaderReader) and asks mkvmerge only for a
    /// file the reader cannot be sure of; the result is the same either way.
    static std::vector<TrackRecord> Identify(const std::string &path);

    /// Always asks mkvmerge: runs `mkvmerge -J` and reads the tracks from its JSON report.
    static std::vector<TrackRecord> IdentifyWithMkvmerge(const std::string &path);

    /// The path as an argument for mkvtoolnix: a relative path gets "./" in front, because the
    /// programs give a leading '-', '@' (option file), '+' (append) or '(' a meaning of its own.
    static std::string SafeArgument(const std::string &path);
};

} // namespace mkvextract
