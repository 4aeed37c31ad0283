// SPDX-License-Identifier: GPL-3.0-or-later
#include "MatroskaLayout.h"

#include "EbmlFile.h"
#include "MatroskaIds.h"

#include <cstdint>
#include <optional>

namespace mkvextract {

MatroskaLayout MatroskaLayout::Scan(const std::string &path)
{
    MatroskaLayout layout;
    EbmlFile file(path);
    if (!file.Ok())
        return layout;
    const std::uint64_t file_size = file.Size();

    auto header = file.ReadHeader(0);
    if (!header || header->id != kEbmlHeaderId || !header->SizeKnown())
        return layout;
    // Void or other top-level elements may stand between the EBML header and the Segment.
    std::uint64_t pos = header->End();
    std::optional<EbmlElement> segment;
    while (pos < file_size) {
        auto element = file.ReadHeader(pos);
        if (!element)
            break;
        if (element->id == kSegmentId) {
            segment = element;
            break;
        }
        if (!element->SizeKnown())
            break;
        pos = element->End();
    }
    if (!segment)
        return layout;
    layout.scanned = true;

    const std::uint64_t segment_end = segment->SizeKnown() ? segment->End() : kUnknownSize;
    if (segment_end != kUnknownSize && segment_end > file_size)
        layout.cut_short = true;

    pos = segment->data_start;
    while (pos < file_size && pos < segment_end) {
        auto child = file.ReadHeader(pos);
        if (!child) {
            // A header that the end of the file interrupts.
            layout.cut_short = true;
            break;
        }
        // Only a cluster of a live recording may leave its size open; past it the children
        // cannot be found without parsing its contents, and nothing is known to be missing.
        if (!child->SizeKnown())
            break;
        if (child->End() > file_size) {
            layout.cut_short = true;
            break;
        }
        if (child->id == kTracksId)
            layout.track_list_complete = true;
        pos = child->End();
    }
    return layout;
}

} // namespace mkvextract
