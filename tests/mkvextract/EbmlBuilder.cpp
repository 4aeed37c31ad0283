// SPDX-License-Identifier: GPL-3.0-or-later
#include "EbmlBuilder.h"

#include "EbmlFile.h"
#include "MatroskaIds.h"

#include "TempDir.h"

#include <stdexcept>

namespace mkvextract_test::ebml {

using namespace mkvextract;

namespace {

std::string IdBytes(std::uint32_t id)
{
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (!bytes.empty() || (id >> shift) != 0 || shift == 0)
            bytes += static_cast<char>((id >> shift) & 0xFF);
    }
    return bytes;
}

std::string SizeBytes(std::uint64_t size, int length)
{
    if (length == 0) {
        length = 1;
        while (length < 8 && size >= (std::uint64_t(1) << (7 * length)) - 1)
            ++length;
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    for (int i = length - 1; i >= 0; --i, size >>= 8)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(size & 0xFF);
    bytes[0] = static_cast<char>(static_cast<unsigned char>(bytes[0]) | (0x80 >> (length - 1)));
    return bytes;
}

} // namespace

std::string Element(std::uint32_t id, std::string_view data, int size_bytes)
{
    return IdBytes(id) + SizeBytes(data.size(), size_bytes) + std::string(data);
}

std::string Unsigned(std::uint32_t id, std::uint64_t value)
{
    std::string bytes;
    do {
        bytes.insert(bytes.begin(), static_cast<char>(value & 0xFF));
        value >>= 8;
    } while (value != 0);
    return Element(id, bytes);
}

std::string Text(std::uint32_t id, std::string_view text)
{
    return Element(id, text);
}

std::string Master(std::uint32_t id, const std::vector<std::string> &children)
{
    std::string data;
    for (const std::string &child : children)
        data += child;
    return Element(id, data);
}

std::string Master(std::uint32_t id, std::initializer_list<std::string> children)
{
    return Master(id, std::vector<std::string>(children));
}

std::string OpenMaster(std::uint32_t id, std::initializer_list<std::string> children)
{
    std::string data;
    for (const std::string &child : children)
        data += child;
    return IdBytes(id) + "\x01\xFF\xFF\xFF\xFF\xFF\xFF\xFF" + data;
}

std::string TrackEntry(const Entry &entry)
{
    std::vector<std::string> children;
    if (entry.number) {
        children.push_back(Unsigned(kTrackNumberId, *entry.number));
        children.push_back(Unsigned(0x73C5, *entry.number + 1000)); // TrackUID
    }
    if (entry.type)
        children.push_back(Unsigned(kTrackTypeId, *entry.type));
    if (entry.codec)
        children.push_back(Text(kCodecIdId, *entry.codec));
    if (entry.language)
        children.push_back(Text(kLanguageId, *entry.language));
    if (entry.name)
        children.push_back(Text(kTrackNameId, *entry.name));
    auto picture = entry.picture;
    if (!picture && entry.type == 1u)
        picture = std::pair<std::uint64_t, std::uint64_t>(64, 48);
    if (picture) {
        children.push_back(Master(
            kVideoId,
            {Unsigned(kPixelWidthId, picture->first), Unsigned(kPixelHeightId, picture->second)}));
    }
    if (entry.type == 2u)
        children.push_back(Master(0xE1, {Unsigned(0x9F, 2)})); // Audio: two channels
    children.push_back(entry.extra);
    return Master(kTrackEntryId, children);
}

std::string Tracks(const std::vector<Entry> &entries)
{
    std::vector<std::string> children;
    children.reserve(entries.size());
    for (const Entry &entry : entries)
        children.push_back(TrackEntry(entry));
    return Master(kTracksId, children);
}

std::string EbmlHeader(std::string_view doc_type)
{
    return Master(kEbmlHeaderId,
                  {Unsigned(0x4286, 1), Unsigned(0x42F7, 1), Unsigned(0x42F2, 4),
                   Unsigned(0x42F3, 8), Text(kDocTypeId, doc_type), Unsigned(0x4287, 4),
                   Unsigned(0x4285, 2)});
}

std::string Info()
{
    return Master(kInfoId,
                  {Unsigned(0x2AD7B1, 1000000), Text(0x4D80, "builder"), Text(0x5741, "builder")});
}

std::string Cluster()
{
    // SimpleBlock: track 1, timestamp 0, keyframe, four bytes of frame.
    return Master(kClusterId,
                  {Unsigned(0xE7, 0), Element(0xA3, std::string("\x81\x00\x00\x80xxxx", 8))});
}

std::vector<std::string> WithSeekHead(const std::vector<std::string> &children)
{
    // Positions are relative to the segment's data; 8-byte values keep the seek head's own
    // size independent of them.
    auto seek_head = [&](const std::vector<std::uint64_t> &offsets) {
        std::vector<std::string> seeks;
        auto add = [&](std::uint32_t id, std::size_t index) {
            std::string position(8, '\0');
            std::uint64_t value = offsets[index];
            for (int i = 7; i >= 0; --i, value >>= 8)
                position[static_cast<std::size_t>(i)] = static_cast<char>(value & 0xFF);
            seeks.push_back(Master(
                kSeekId, {Element(kSeekIdId, IdBytes(id)), Element(kSeekPositionId, position)}));
        };
        for (std::size_t i = 0; i < children.size(); ++i) {
            const std::uint32_t id = IdOf(children[i]);
            if (id == kInfoId || id == kTracksId)
                add(id, i);
        }
        return Master(kSeekHeadId, seeks);
    };
    std::vector<std::uint64_t> offsets(children.size(), 0);
    const std::size_t head_size = seek_head(offsets).size();
    std::uint64_t at = head_size;
    for (std::size_t i = 0; i < children.size(); ++i) {
        offsets[i] = at;
        at += children[i].size();
    }
    std::vector<std::string> result = {seek_head(offsets)};
    result.insert(result.end(), children.begin(), children.end());
    return result;
}

std::string File(const std::vector<std::string> &children, std::string_view doc_type)
{
    std::string segment;
    for (const std::string &child : children)
        segment += child;
    return EbmlHeader(doc_type) + Element(kSegmentId, segment, 8);
}

std::vector<std::string> SegmentChildren(const std::filesystem::path &file)
{
    const std::string bytes = quillet::test::ReadFile(file);
    EbmlFile reader(file.string());
    auto header = reader.ReadHeader(0);
    auto segment = header ? reader.ReadHeader(header->End()) : std::nullopt;
    if (!segment || segment->id != kSegmentId || !segment->SizeKnown())
        throw std::runtime_error(file.string() + ": no segment of known size after the header");
    std::vector<std::string> children;
    for (std::uint64_t pos = segment->data_start; pos < segment->End();) {
        auto child = reader.ReadHeader(pos);
        if (!child || !child->SizeKnown())
            throw std::runtime_error(file.string() + ": a child the builder cannot take apart");
        children.push_back(bytes.substr(pos, child->End() - pos));
        pos = child->End();
    }
    return children;
}

std::uint32_t IdOf(std::string_view element)
{
    const auto first = static_cast<unsigned char>(element.at(0));
    int length = 1;
    while (length < 4 && !(first & (0x80 >> (length - 1))))
        ++length;
    std::uint32_t id = 0;
    for (int i = 0; i < length; ++i)
        id = (id << 8) | static_cast<unsigned char>(element.at(static_cast<std::size_t>(i)));
    return id;
}

} // namespace mkvextract_test::ebml
