// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrackHeaderReader.h"

#include "EbmlFile.h"
#include "LanguageCodes.h"
#include "MatroskaIds.h"
#include "MatroskaSchema.h"
#include "mkvextract.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <string_view>

namespace mkvextract {

namespace {

// Read budgets. A file past any of them is left to mkvmerge; none is reached by a real file's
// headers (a film with chapters, tags and fonts attached stays far below).
constexpr int kMaxElementsBeforeCluster = 256;
constexpr int kMaxSeekHeads = 16;
constexpr int kMaxDepth = 32;
constexpr std::uint64_t kMaxElementsVisited = 2'000'000;
constexpr std::uint64_t kMaxTextBytes = 16u << 20;
// mkvmerge holds each element it reads in memory; beyond this it may run out of memory, which
// ends its walk early.
constexpr std::uint64_t kMaxBinaryBytes = 256u << 20;

constexpr std::uint64_t kTrackTypeVideo = 1;
constexpr std::uint64_t kTrackTypeAudio = 2;
constexpr std::uint64_t kTrackTypeSubtitle = 0x11;

/// Whether text is UTF-8 that a strict decoder takes: no overlong forms, no surrogates,
/// nothing past U+10FFFF. mkvmerge stops reading a file at the first text that is not.
bool IsStrictUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
        const unsigned char lead = byte(0);
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF; // the range of the second byte
        if (lead < 0x80) {
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char lo = k == 1 ? low : 0x80, hi = k == 1 ? high : 0xBF;
            if (byte(k) < lo || byte(k) > hi)
                return false;
        }
        i += length;
    }
    return true;
}

std::string_view UpToNul(std::string_view text)
{
    return text.substr(0, text.find('\0'));
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x))
                   == std::tolower(static_cast<unsigned char>(y));
           });
}

bool IsPrintableAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

/// Whether mkvmerge lists an audio track of this codec without looking further: it checks
/// AC-3, DTS, TrueHD against their first frames, Vorbis, ALAC and ACM against their private
/// data, so those (and codecs not known here) go to mkvmerge.
bool AudioListedAsIs(std::string_view codec, std::uint64_t private_bytes)
{
    static constexpr std::string_view kAsIs[]
        = {"A_AAC",         "A_MPEG/L1",     "A_MPEG/L2",        "A_MPEG/L3",
           "A_PCM/INT/LIT", "A_PCM/INT/BIG", "A_PCM/FLOAT/IEEE", "A_FLAC"};
    if (codec == "A_OPUS")
        return private_bytes > 0;
    return codec.starts_with("A_AAC/")
        || std::find(std::begin(kAsIs), std::end(kAsIs), codec) != std::end(kAsIs);
}

/// Whether mkvmerge lists a subtitle track of this codec without looking further (DVB, Kate
/// and HDMV text subtitles are checked against their private data).
bool SubtitleListedAsIs(std::string_view codec)
{
    static constexpr std::string_view kAsIs[]
        = {"S_TEXT/UTF8", "S_TEXT/ASCII",  "S_TEXT/SSA", "S_TEXT/ASS", "S_SSA",
           "S_ASS",       "S_TEXT/WEBVTT", "S_TEXT/USF", "S_VOBSUB",   "S_HDMV/PGS"};
    return std::find(std::begin(kAsIs), std::end(kAsIs), codec) != std::end(kAsIs);
}

/// The walk over one file. Each step returns false, with the reason kept, as soon as the file
/// is one to leave to mkvmerge.
class HeaderWalk
{
public:
    explicit HeaderWalk(const std::string &path)
        : m_file(path)
    { }

    std::optional<std::vector<TrackRecord>> Run();
    const std::string &Why() const { return m_why; }

private:
    bool Unsure(std::string why)
    {
        m_why = std::move(why);
        return false;
    }
    bool ReadEbmlHeader(std::uint64_t &next);
    bool FindSegment(std::uint64_t pos);
    bool WalkToFirstCluster();
    bool FollowSeekHeads();
    bool Validate(const EbmlElement &master, int depth = 0);
    bool Child(const EbmlElement &parent, std::uint64_t pos, EbmlElement &child);
    bool ElementAt(std::uint64_t pos, std::uint32_t id, EbmlElement &element);
    bool ReadSeekHead(const EbmlElement &seek_head);
    bool ReadTracks(const EbmlElement &tracks, std::vector<TrackRecord> &records);
    bool ReadEntry(const EbmlElement &entry, TrackRecord &record);
    bool CheckEncodings(const EbmlElement &encodings, bool has_private);
    std::optional<std::uint64_t> FirstUnsigned(const EbmlElement &master, std::uint32_t id,
                                               std::uint64_t absent);
    bool Text(const EbmlElement &element, std::string &text);

    EbmlFile m_file;
    std::string m_why;
    EbmlElement m_segment;
    std::uint64_t m_visited = 0;
    std::uint64_t m_text_bytes = 0;
    bool m_seek_head_seen = false;
    // Positions of elements that mkvmerge reads after its walk, from the walk and the seek
    // heads; each position is read once.
    std::set<std::uint64_t> m_info_positions;
    std::set<std::uint64_t> m_tracks_positions;
    std::set<std::uint64_t> m_seek_head_positions;
    std::vector<std::uint64_t> m_seek_heads_to_read;
    std::set<std::uint64_t> m_track_numbers;
};

std::optional<std::vector<TrackRecord>> HeaderWalk::Run()
{
    if (!m_file.Ok()) {
        Unsure("cannot be opened as a regular file");
        return std::nullopt;
    }
    std::uint64_t after_header = 0;
    if (!ReadEbmlHeader(after_header) || !FindSegment(after_header) || !WalkToFirstCluster()
        || !FollowSeekHeads())
        return std::nullopt;

    for (const std::uint64_t pos : m_info_positions) {
        EbmlElement info;
        if (!ElementAt(pos, kInfoId, info) || !Validate(info))
            return std::nullopt;
    }
    // mkvmerge reads every track list it finds, one after the other.
    if (m_tracks_positions.size() != 1) {
        Unsure(m_tracks_positions.empty() ? "no track list" : "more than one track list");
        return std::nullopt;
    }
    EbmlElement tracks;
    std::vector<TrackRecord> records;
    if (!ElementAt(*m_tracks_positions.begin(), kTracksId, tracks) || !Validate(tracks)
        || !ReadTracks(tracks, records))
        return std::nullopt;
    return records;
}

bool HeaderWalk::Child(const EbmlElement &parent, std::uint64_t pos, EbmlElement &child)
{
    const auto header = m_file.ReadHeader(pos);
    if (!header)
        return Unsure("a malformed element header");
    if (!header->SizeKnown())
        return Unsure("an element of unknown size");
    if (header->End() > parent.End())
        return Unsure("an element reaching past its parent");
    if (++m_visited > kMaxElementsVisited)
        return Unsure("too many elements");
    child = *header;
    return true;
}

bool HeaderWalk::ElementAt(std::uint64_t pos, std::uint32_t id, EbmlElement &element)
{
    if (pos < m_segment.data_start || pos >= m_segment.End())
        return Unsure("a seek entry pointing outside the segment");
    if (!Child(m_segment, pos, element))
        return false;
    if (element.id != id)
        return Unsure("a seek entry pointing at another element");
    return true;
}

bool HeaderWalk::Validate(const EbmlElement &master, int depth)
{
    if (depth > kMaxDepth)
        return Unsure("elements nested too deeply");
    std::uint64_t pos = master.data_start;
    while (pos < master.End()) {
        EbmlElement child;
        if (!Child(master, pos, child))
            return false;
        ElementKind kind{};
        if (!MatroskaSchema::Find(child.id, master.id, kind))
            return Unsure("an element out of place");
        switch (kind) {
        case ElementKind::Master:
            if (!Validate(child, depth + 1))
                return false;
            break;
        case ElementKind::Unsigned:
        case ElementKind::Signed:
            if (child.size > 8)
                return Unsure("an integer longer than 8 bytes");
            break;
        case ElementKind::Float:
            if (child.size != 4 && child.size != 8)
                return Unsure("a float of odd size");
            break;
        case ElementKind::Date:
            if (child.size != 8)
                return Unsure("a date of odd size");
            break;
        case ElementKind::Ascii:
            if (child.size > kMaxTextBytes)
                return Unsure("a text too long");
            break;
        case ElementKind::Utf8: {
            std::string text;
            if (!Text(child, text))
                return false;
            if (!IsStrictUtf8(UpToNul(text)))
                return Unsure("a text that is not UTF-8");
            break;
        }
        case ElementKind::Binary:
            if (child.size > kMaxBinaryBytes)
                return Unsure("a binary element too large");
            break;
        }
        pos = child.End();
    }
    return true;
}

bool HeaderWalk::Text(const EbmlElement &element, std::string &text)
{
    m_text_bytes += element.size;
    if (m_text_bytes > kMaxTextBytes)
        return Unsure("too much text");
    if (!m_file.Read(element.data_start, static_cast<std::size_t>(element.size), text))
        return Unsure("a text that cannot be read");
    return true;
}

bool HeaderWalk::ReadEbmlHeader(std::uint64_t &next)
{
    const auto header = m_file.ReadHeader(0);
    if (!header || header->id != kEbmlHeaderId)
        return Unsure("no EBML header");
    if (!header->SizeKnown() || header->End() > m_file.Size())
        return Unsure("a malformed EBML header");
    if (!Validate(*header))
        return false;
    std::uint64_t pos = header->data_start;
    std::string doc_type;
    while (pos < header->End()) {
        EbmlElement child;
        if (!Child(*header, pos, child))
            return false;
        if (child.id == kDocTypeId) {
            if (!Text(child, doc_type))
                return false;
            break;
        }
        pos = child.End();
    }
    const std::string_view type = UpToNul(doc_type);
    if (type != "matroska" && type != "webm")
        return Unsure("not a Matroska or WebM document");
    next = header->End();
    return true;
}

bool HeaderWalk::FindSegment(std::uint64_t pos)
{
    // mkvmerge skips Void elements between the EBML header and the segment.
    for (;;) {
        const auto element = m_file.ReadHeader(pos);
        if (!element)
            return Unsure("no segment");
        if (element->id == kSegmentId) {
            m_segment = *element;
            break;
        }
        if (element->id != kVoidId || !element->SizeKnown())
            return Unsure("something before the segment");
        pos = element->End();
    }
    if (!m_segment.SizeKnown())
        return Unsure("a segment of unknown size");
    if (m_segment.End() > m_file.Size())
        return Unsure("the file is cut short");
    return true;
}

bool HeaderWalk::WalkToFirstCluster()
{
    std::uint64_t pos = m_segment.data_start;
    for (int count = 0; pos < m_segment.End(); ++count) {
        if (count >= kMaxElementsBeforeCluster)
            return Unsure("too many elements before the first cluster");
        EbmlElement element;
        if (!Child(m_segment, pos, element))
            return false;
        ElementKind kind{};
        if (!MatroskaSchema::Find(element.id, kSegmentId, kind))
            return Unsure("an unknown element in the segment");
        // mkvmerge reads each of these whole, the first cluster included: a fault anywhere in
        // them changes what it goes on to read.
        if (kind == ElementKind::Master && !Validate(element))
            return false;
        if (element.id == kClusterId)
            break;
        if (element.id == kSeekHeadId) {
            m_seek_head_seen = true;
            m_seek_head_positions.insert(element.position);
            if (!ReadSeekHead(element))
                return false;
        } else if (element.id == kInfoId) {
            m_info_positions.insert(element.position);
        } else if (element.id == kTracksId) {
            m_tracks_positions.insert(element.position);
        }
        pos = element.End();
    }
    // Without a seek head, mkvmerge searches the file's last megabytes for more elements.
    if (!m_seek_head_seen)
        return Unsure("no seek head");
    return true;
}

bool HeaderWalk::ReadSeekHead(const EbmlElement &seek_head)
{
    std::uint64_t pos = seek_head.data_start;
    while (pos < seek_head.End()) {
        EbmlElement seek;
        if (!Child(seek_head, pos, seek))
            return false;
        pos = seek.End();
        if (seek.id != kSeekId)
            continue;
        // The first ID and the first position of an entry count; an entry without either is
        // passed over.
        std::optional<std::uint32_t> target;
        std::optional<std::uint64_t> offset;
        for (std::uint64_t at = seek.data_start; at < seek.End();) {
            EbmlElement field;
            if (!Child(seek, at, field))
                return false;
            at = field.End();
            if (field.id == kSeekIdId && !target) {
                std::string bytes;
                if (field.size < 1 || field.size > 4
                    || !m_file.Read(field.data_start, static_cast<std::size_t>(field.size), bytes))
                    return Unsure("a malformed seek entry");
                std::uint32_t id = 0;
                for (const char byte : bytes)
                    id = (id << 8) | static_cast<unsigned char>(byte);
                target = id;
            } else if (field.id == kSeekPositionId && !offset) {
                offset = m_file.ReadUnsigned(field);
                if (!offset)
                    return Unsure("a malformed seek entry");
            }
        }
        if (!target || !offset)
            continue;
        if (*offset >= m_segment.size)
            return Unsure("a seek entry pointing outside the segment");
        const std::uint64_t at = m_segment.data_start + *offset;
        if (*target == kTracksId)
            m_tracks_positions.insert(at);
        else if (*target == kInfoId)
            m_info_positions.insert(at);
        else if (*target == kSeekHeadId && m_seek_head_positions.insert(at).second)
            m_seek_heads_to_read.push_back(at);
    }
    return true;
}

bool HeaderWalk::FollowSeekHeads()
{
    // Reading a seek head may add more to the list, so no iterator is held across it.
    std::size_t next = 0;
    while (next < m_seek_heads_to_read.size()) {
        if (m_seek_head_positions.size() > kMaxSeekHeads)
            return Unsure("too many seek heads");
        const std::uint64_t pos = m_seek_heads_to_read[next++];
        EbmlElement seek_head;
        if (!ElementAt(pos, kSeekHeadId, seek_head) || !Validate(seek_head)
            || !ReadSeekHead(seek_head))
            return false;
    }
    return true;
}

bool HeaderWalk::ReadTracks(const EbmlElement &tracks, std::vector<TrackRecord> &records)
{
    std::uint64_t pos = tracks.data_start;
    while (pos < tracks.End()) {
        EbmlElement entry;
        if (!Child(tracks, pos, entry))
            return false;
        pos = entry.End();
        if (entry.id != kTrackEntryId)
            continue;
        TrackRecord record;
        if (!ReadEntry(entry, record))
            return false;
        // mkvmerge numbers the tracks it keeps by their place in the list.
        record.id = static_cast<std::int32_t>(records.size());
        records.push_back(std::move(record));
    }
    return true;
}

bool HeaderWalk::ReadEntry(const EbmlElement &entry, TrackRecord &record)
{
    // The first element of each kind counts, as in mkvmerge.
    std::optional<std::uint64_t> number, type;
    std::optional<std::string> codec, language, name;
    std::optional<EbmlElement> video, encodings;
    std::optional<std::uint64_t> private_bytes;
    for (std::uint64_t pos = entry.data_start; pos < entry.End();) {
        EbmlElement child;
        if (!Child(entry, pos, child))
            return false;
        pos = child.End();
        std::string text;
        if (child.id == kTrackNumberId && !number) {
            number = m_file.ReadUnsigned(child);
        } else if (child.id == kTrackTypeId && !type) {
            type = m_file.ReadUnsigned(child);
        } else if (child.id == kCodecIdId && !codec) {
            if (!Text(child, text))
                return false;
            codec = UpToNul(text);
        } else if (child.id == kLanguageId && !language) {
            if (!Text(child, text))
                return false;
            language = std::move(text);
        } else if (child.id == kTrackNameId && !name) {
            if (!Text(child, text))
                return false;
            name = UpToNul(text);
        } else if (child.id == kVideoId && !video) {
            video = child;
        } else if (child.id == kCodecPrivateId && !private_bytes) {
            private_bytes = child.size;
        } else if (child.id == kContentEncodingsId) {
            if (encodings)
                return Unsure("two lists of content encodings");
            encodings = child;
        }
    }
    if (encodings && !CheckEncodings(*encodings, private_bytes.has_value()))
        return false;

    // mkvmerge passes over entries without a number, a type or a codec, and a number used
    // twice, without giving them an id; such a list is left to it.
    if (!number || *number == 0 || !m_track_numbers.insert(*number).second)
        return Unsure("a track without a number of its own");
    if (!type)
        return Unsure("a track without a type");
    if (!codec || codec->empty() || !IsPrintableAscii(*codec))
        return Unsure("a track without a plain codec id");

    if (*type == kTrackTypeVideo) {
        if (EqualsIgnoringCase(*codec, "V_MS/VFW/FOURCC")
            || EqualsIgnoringCase(codec->substr(0, 8), "V_THEORA"))
            return Unsure("a video codec that mkvmerge checks");
        // mkvmerge refuses a video track without its picture size.
        std::optional<std::uint64_t> width, height;
        for (std::uint64_t pos = video ? video->data_start : 0; video && pos < video->End();) {
            EbmlElement child;
            if (!Child(*video, pos, child))
                return false;
            pos = child.End();
            if (child.id == kPixelWidthId && !width)
                width = m_file.ReadUnsigned(child);
            else if (child.id == kPixelHeightId && !height)
                height = m_file.ReadUnsigned(child);
        }
        if (!width || !height || *width == 0 || *height == 0)
            return Unsure("a video track without its picture size");
        record.type = EM_TRACK_VIDEO;
    } else if (*type == kTrackTypeAudio) {
        if (!AudioListedAsIs(*codec, private_bytes.value_or(0)))
            return Unsure("an audio codec that mkvmerge checks");
        record.type = EM_TRACK_AUDIO;
    } else if (*type == kTrackTypeSubtitle) {
        if (!SubtitleListedAsIs(*codec))
            return Unsure("a subtitle codec that mkvmerge checks");
        record.type = EM_TRACK_SUBTITLE;
    } else {
        // Buttons, logos, complex and control tracks are numbered but not listed.
        return Unsure("a track of another type");
    }

    // Without the element the language is English, as the format defines it.
    const std::optional<std::string> reported = ReportedLanguage(language.value_or("eng"));
    if (!reported)
        return Unsure("a language code that mkvmerge maps");
    record.codec_id = std::move(*codec);
    record.language = *reported;
    record.name = name.value_or(std::string());
    return true;
}

std::optional<std::uint64_t> HeaderWalk::FirstUnsigned(const EbmlElement &master, std::uint32_t id,
                                                       std::uint64_t absent)
{
    for (std::uint64_t pos = master.data_start; pos < master.End();) {
        EbmlElement child;
        if (!Child(master, pos, child))
            return std::nullopt;
        if (child.id == id)
            return m_file.ReadUnsigned(child);
        pos = child.End();
    }
    return absent;
}

bool HeaderWalk::CheckEncodings(const EbmlElement &encodings, bool has_private)
{
    // mkvmerge lists a track whose frames are compressed with zlib or by header removal; it
    // leaves out an encrypted one or one of another algorithm, and stops at an unknown type.
    // Private data compressed as well would be unpacked before its checks: not followed here.
    for (std::uint64_t pos = encodings.data_start; pos < encodings.End();) {
        EbmlElement encoding;
        if (!Child(encodings, pos, encoding))
            return false;
        pos = encoding.End();
        if (encoding.id != kContentEncodingId)
            continue;
        const auto type = FirstUnsigned(encoding, kContentEncodingTypeId, 0);
        const auto scope = FirstUnsigned(encoding, kContentEncodingScopeId, 1);
        std::optional<std::uint64_t> algorithm = 0;
        for (std::uint64_t at = encoding.data_start; at < encoding.End();) {
            EbmlElement child;
            if (!Child(encoding, at, child))
                return false;
            if (child.id == kContentCompressionId) {
                algorithm = FirstUnsigned(child, kContentCompAlgoId, 0);
                break;
            }
            at = child.End();
        }
        if (!type || !scope || !algorithm || *type != 0 || (*algorithm != 0 && *algorithm != 3))
            return Unsure("an encrypted track or one of an unknown compression");
        if (has_private && (*scope & 2) != 0)
            return Unsure("a track with compressed private data");
    }
    return true;
}

} // namespace

std::optional<std::vector<TrackRecord>> TrackHeaderReader::Read(const std::string &path,
                                                                std::string *why)
{
    HeaderWalk walk(path);
    auto tracks = walk.Run();
    if (!tracks && why)
        *why = walk.Why();
    return tracks;
}

} // namespace mkvextract
