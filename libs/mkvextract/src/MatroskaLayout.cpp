// SPDX-License-Identifier: GPL-3.0-or-later
#include "MatroskaLayout.h"

#include <cstdint>
#include <fstream>
#include <optional>

namespace mkvextract {

namespace {

constexpr std::uint32_t kEbmlHeaderId = 0x1A45DFA3;
constexpr std::uint32_t kSegmentId = 0x18538067;
constexpr std::uint32_t kTracksId = 0x1654AE6B;
constexpr std::uint64_t kUnknownSize = ~std::uint64_t(0);

struct ElementHeader
{
    std::uint32_t id = 0;
    std::uint64_t size = 0; ///< kUnknownSize when the writer left it open (live streams)
    std::uint64_t data_start = 0;
};

/// Reads EBML element headers from a file, by absolute position.
class HeaderReader
{
public:
    explicit HeaderReader(const std::string &path)
        : m_in(path, std::ios::binary)
    { }
    bool Ok() const { return static_cast<bool>(m_in); }

    /// The element header at pos; nullopt when it is malformed or cut by the end of the file.
    std::optional<ElementHeader> Read(std::uint64_t pos)
    {
        m_in.clear();
        m_in.seekg(static_cast<std::streamoff>(pos));
        ElementHeader header;
        int id_length = 0;
        auto id = ReadVint(4, id_length, /*keep_marker=*/true);
        if (!id)
            return std::nullopt;
        int size_length = 0;
        auto size = ReadVint(8, size_length, /*keep_marker=*/false);
        if (!size)
            return std::nullopt;
        header.id = static_cast<std::uint32_t>(*id);
        // All value bits set means "size unknown" in EBML.
        const std::uint64_t all_ones = (std::uint64_t(1) << (7 * size_length)) - 1;
        header.size = *size == all_ones ? kUnknownSize : *size;
        header.data_start = pos + static_cast<std::uint64_t>(id_length + size_length);
        return header;
    }

private:
    /// An EBML variable-length integer: the count of leading zero bits of the first byte gives
    /// the length. IDs keep their length marker, sizes drop it.
    std::optional<std::uint64_t> ReadVint(int max_length, int &length, bool keep_marker)
    {
        int first = m_in.get();
        if (first == EOF || first == 0)
            return std::nullopt;
        length = 1;
        while (!(first & (0x80 >> (length - 1))))
            ++length;
        if (length > max_length)
            return std::nullopt;
        std::uint64_t value
            = keep_marker ? std::uint64_t(first) : std::uint64_t(first & (0xFF >> length));
        for (int i = 1; i < length; ++i) {
            int next = m_in.get();
            if (next == EOF)
                return std::nullopt;
            value = (value << 8) | std::uint64_t(next);
        }
        return value;
    }

    std::ifstream m_in;
};

} // namespace

MatroskaLayout MatroskaLayout::Scan(const std::string &path)
{
    MatroskaLayout layout;
    std::uint64_t file_size = 0;
    {
        std::ifstream probe(path, std::ios::binary | std::ios::ate);
        if (!probe)
            return layout;
        file_size = static_cast<std::uint64_t>(probe.tellg());
    }
    HeaderReader reader(path);
    if (!reader.Ok())
        return layout;

    auto header = reader.Read(0);
    if (!header || header->id != kEbmlHeaderId || header->size == kUnknownSize)
        return layout;
    // Void or other top-level elements may stand between the EBML header and the Segment.
    std::uint64_t pos = header->data_start + header->size;
    std::optional<ElementHeader> segment;
    while (pos < file_size) {
        auto element = reader.Read(pos);
        if (!element)
            break;
        if (element->id == kSegmentId) {
            segment = element;
            break;
        }
        if (element->size == kUnknownSize)
            break;
        pos = element->data_start + element->size;
    }
    if (!segment)
        return layout;
    layout.scanned = true;

    const std::uint64_t segment_end
        = segment->size == kUnknownSize ? kUnknownSize : segment->data_start + segment->size;
    if (segment_end != kUnknownSize && segment_end > file_size)
        layout.cut_short = true;

    pos = segment->data_start;
    while (pos < file_size && pos < segment_end) {
        auto child = reader.Read(pos);
        if (!child) {
            // A header that the end of the file interrupts.
            layout.cut_short = true;
            break;
        }
        // Only a cluster of a live recording may leave its size open; past it the children
        // cannot be found without parsing its contents, and nothing is known to be missing.
        if (child->size == kUnknownSize)
            break;
        const std::uint64_t child_end = child->data_start + child->size;
        if (child_end > file_size) {
            layout.cut_short = true;
            break;
        }
        if (child->id == kTracksId)
            layout.track_list_complete = true;
        pos = child_end;
    }
    return layout;
}

} // namespace mkvextract
