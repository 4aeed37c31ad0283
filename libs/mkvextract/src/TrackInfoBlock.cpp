// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrackInfoBlock.h"

#include "platform/FixedText.h"

#include <memory>

namespace mkvextract {

TrackInfoBlock::TrackInfoBlock(const std::vector<TrackRecord> &records)
{
    // Built in owners first and released into the raw members only when nothing can throw.
    auto tracks = std::make_unique<EmTrack[]>(records.size());
    auto pointers = std::make_unique<EmTrack *[]>(records.size() + 1);
    for (std::size_t i = 0; i < records.size(); ++i) {
        EmTrack &track = tracks[i];
        track.number = records[i].id;
        track.type = records[i].type;
        quillet::platform::AssignFixedText(track.codec, records[i].codec_id);
        quillet::platform::AssignFixedText(track.language, records[i].language);
        quillet::platform::AssignFixedText(track.name, records[i].name);
        pointers[i] = &track;
    }
    // A terminating null pointer costs nothing and stops a caller that walks the array.
    pointers[records.size()] = nullptr;
    m_count = records.size();
    m_tracks = tracks.release();
    m_pointers = pointers.release();
    m_info.count = static_cast<int32_t>(m_count);
    m_info.tracks = m_pointers;
}

TrackInfoBlock::~TrackInfoBlock()
{
    delete[] m_pointers;
    delete[] m_tracks;
}

TrackInfoBlock *TrackInfoBlock::FromInfo(EmTrackInfo *info)
{
    return reinterpret_cast<TrackInfoBlock *>(info);
}

} // namespace mkvextract
