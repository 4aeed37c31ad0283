// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TrackRecord.h"

#include <optional>
#include <string>
#include <vector>

namespace mkvextract {

/**
 * Reads the track list of a Matroska file from its EBML structure, in this process, giving
 * exactly what `mkvmerge -J` reports for the fields the library fills (track ids in mkvmerge's
 * numbering, types, codec ids, languages, names), at a fraction of the cost of starting
 * mkvmerge.
 *
 * It reads what mkvmerge reads before it lists the tracks: the EBML header, the Segment's
 * children up to the first cluster (mkvmerge reads each of them whole), the seek heads and the
 * Info and Tracks elements they point at. It answers only when it is sure the answer is
 * mkvmerge's: every element it walks through must be well formed, of known size, inside its
 * parent and the file, and one the Matroska element table places under that parent; text that
 * mkvmerge decodes must be valid UTF-8; each track must be one that mkvmerge lists without
 * looking at its frames (codecs such as AC-3, DTS or Vorbis are checked by mkvmerge against
 * their first frames or private data), with a language code it reports unchanged or maps by the
 * ISO 639-2 table. A file cut short, an element of unknown size, a second track list, a file
 * without a seek head (mkvmerge then searches its end for more), a compressed or encrypted
 * track: all of these give nullopt, and the caller asks mkvmerge.
 */
class TrackHeaderReader
{
public:
    /// The tracks of path in file order, or nullopt when the file must go to mkvmerge; then
    /// why, when not null, receives the reason.
    static std::optional<std::vector<TrackRecord>> Read(const std::string &path,
                                                        std::string *why = nullptr);
};

} // namespace mkvextract
