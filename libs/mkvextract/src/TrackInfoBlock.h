// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TrackIdentifier.h"
#include "mkvextract.h"

#include <cstddef>
#include <type_traits>
#include <vector>

namespace mkvextract {

/// The one allocation behind an EmTrackInfo handed to the caller. The public record is the
/// first member of a standard-layout class, so the pointer the caller gets back to
/// em_freetrackinfo converts to the block; the block frees the tracks it made, whatever the
/// caller did to count or the pointer array meanwhile.
class TrackInfoBlock
{
public:
    explicit TrackInfoBlock(const std::vector<TrackRecord> &records);
    ~TrackInfoBlock();
    TrackInfoBlock(const TrackInfoBlock &) = delete;
    TrackInfoBlock &operator=(const TrackInfoBlock &) = delete;

    EmTrackInfo *Info() { return &m_info; }
    static TrackInfoBlock *FromInfo(EmTrackInfo *info);

private:
    EmTrackInfo m_info{};
    EmTrack *m_tracks = nullptr;
    EmTrack **m_pointers = nullptr;
    std::size_t m_count = 0;
};

static_assert(std::is_standard_layout_v<TrackInfoBlock>);

} // namespace mkvextract
