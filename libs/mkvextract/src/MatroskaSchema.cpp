// SPDX-License-Identifier: GPL-3.0-or-later
#include "MatroskaSchema.h"

#include "MatroskaIds.h"

#include <unordered_map>

namespace mkvextract {

namespace {

struct SchemaEntry
{
    std::uint32_t id;
    std::uint32_t parent;
    ElementKind kind;
};

// One letter per kind keeps the table below readable, one element to a cell.
// NOLINTBEGIN(readability-identifier-naming)
constexpr auto M = ElementKind::Master;
constexpr auto U = ElementKind::Unsigned;
constexpr auto I = ElementKind::Signed;
constexpr auto F = ElementKind::Float;
constexpr auto D = ElementKind::Date;
constexpr auto S = ElementKind::Ascii;
constexpr auto T = ElementKind::Utf8;
constexpr auto B = ElementKind::Binary;
// NOLINTEND(readability-identifier-naming)

// Parents, for the table's readability.
constexpr std::uint32_t kEbml
    = kEbmlHeaderId,
    kSegment = kSegmentId, kSeekHead = kSeekHeadId, kSeek = kSeekId, kInfo = kInfoId,
    kChapterTranslate = 0x6924, kCluster = kClusterId, kSilentTracks = 0x5854, kBlockGroup = 0xA0,
    kBlockAdditions = 0x75A1, kBlockMore = 0xA6, kSlices = 0x8E, kTimeSlice = 0xE8,
    kReferenceFrame = 0xC8, kTracks = kTracksId, kTrackEntry = kTrackEntryId,
    kBlockAdditionMapping = 0x41E4, kTrackTranslate = 0x6624, kVideo = kVideoId, kColour = 0x55B0,
    kMasteringMetadata = 0x55D0, kProjection = 0x7670, kAudio = 0xE1, kTrackOperation = 0xE2,
    kCombinePlanes = 0xE3, kTrackPlane = 0xE4, kJoinBlocks = 0xE9,
    kContentEncodings = kContentEncodingsId, kContentEncoding = kContentEncodingId,
    kContentCompression = kContentCompressionId, kContentEncryption = 0x5035, kAesSettings = 0x47E7,
    kCues = kCuesId, kCuePoint = 0xBB, kCueTrackPositions = 0xB7, kCueReference = 0xDB,
    kAttachments = kAttachmentsId, kAttachedFile = 0x61A7, kChapters = kChaptersId,
    kEditionEntry = 0x45B9, kEditionDisplay = 0x4520, kChapterAtom = 0xB6, kChapterTrack = 0x8F,
    kChapterDisplay = 0x80, kChapterProcess = 0x6944, kChapterProcessCommand = 0x6911,
    kTags = kTagsId, kTag = 0x7373, kTagTargets = 0x63C0, kSimpleTag = 0x67C8;

constexpr SchemaEntry kSchema[] = {
    // EBML header
    {0x4286, kEbml, U},
    {0x42F7, kEbml, U},
    {0x42F2, kEbml, U},
    {0x42F3, kEbml, U},
    {kDocTypeId, kEbml, S},
    {0x4287, kEbml, U},
    {0x4285, kEbml, U},
    // Segment
    {kSeekHeadId, kSegment, M},
    {kInfoId, kSegment, M},
    {kClusterId, kSegment, M},
    {kTracksId, kSegment, M},
    {kCuesId, kSegment, M},
    {kAttachmentsId, kSegment, M},
    {kChaptersId, kSegment, M},
    {kTagsId, kSegment, M},
    // SeekHead
    {kSeekId, kSeekHead, M},
    {kSeekIdId, kSeek, B},
    {kSeekPositionId, kSeek, U},
    // Info
    {0x73A4, kInfo, B},
    {0x7384, kInfo, T},
    {0x3CB923, kInfo, B},
    {0x3C83AB, kInfo, T},
    {0x3EB923, kInfo, B},
    {0x3E83BB, kInfo, T},
    {0x4444, kInfo, B},
    {kChapterTranslate, kInfo, M},
    {0x2AD7B1, kInfo, U},
    {0x4489, kInfo, F},
    {0x4461, kInfo, D},
    {0x7BA9, kInfo, T},
    {0x4D80, kInfo, T},
    {0x5741, kInfo, T},
    {0x69A5, kChapterTranslate, B},
    {0x69BF, kChapterTranslate, U},
    {0x69FC, kChapterTranslate, U},
    // Cluster
    {0xE7, kCluster, U},
    {kSilentTracks, kCluster, M},
    {0xA7, kCluster, U},
    {0xAB, kCluster, U},
    {0xA3, kCluster, B},
    {kBlockGroup, kCluster, M},
    {0xAF, kCluster, B},
    {0x58D7, kSilentTracks, U},
    {0xA1, kBlockGroup, B},
    {0xA2, kBlockGroup, B},
    {kBlockAdditions, kBlockGroup, M},
    {0x9B, kBlockGroup, U},
    {0xFA, kBlockGroup, U},
    {0xFB, kBlockGroup, I},
    {0xFD, kBlockGroup, I},
    {0xA4, kBlockGroup, B},
    {0x75A2, kBlockGroup, I},
    {kSlices, kBlockGroup, M},
    {kReferenceFrame, kBlockGroup, M},
    {kBlockMore, kBlockAdditions, M},
    {0xA5, kBlockMore, B},
    {0xEE, kBlockMore, U},
    {kTimeSlice, kSlices, M},
    {0xCC, kTimeSlice, U},
    {0xCD, kTimeSlice, U},
    {0xCB, kTimeSlice, U},
    {0xCE, kTimeSlice, U},
    {0xCF, kTimeSlice, U},
    {0xC9, kReferenceFrame, U},
    {0xCA, kReferenceFrame, U},
    // Tracks
    {kTrackEntryId, kTracks, M},
    {kTrackNumberId, kTrackEntry, U},
    {0x73C5, kTrackEntry, U},
    {kTrackTypeId, kTrackEntry, U},
    {0xB9, kTrackEntry, U},
    {0x88, kTrackEntry, U},
    {0x55AA, kTrackEntry, U},
    {0x55AB, kTrackEntry, U},
    {0x55AC, kTrackEntry, U},
    {0x55AD, kTrackEntry, U},
    {0x55AE, kTrackEntry, U},
    {0x55AF, kTrackEntry, U},
    {0x9C, kTrackEntry, U},
    {0x6DE7, kTrackEntry, U},
    {0x6DF8, kTrackEntry, U},
    {0x23E383, kTrackEntry, U},
    {0x234E7A, kTrackEntry, U},
    {0x23314F, kTrackEntry, F},
    {0x537F, kTrackEntry, I},
    {0x55EE, kTrackEntry, U},
    {kBlockAdditionMapping, kTrackEntry, M},
    {kTrackNameId, kTrackEntry, T},
    {kLanguageId, kTrackEntry, S},
    {0x22B59D, kTrackEntry, S},
    {kCodecIdId, kTrackEntry, S},
    {kCodecPrivateId, kTrackEntry, B},
    {0x258688, kTrackEntry, T},
    {0x7446, kTrackEntry, U},
    {0x3A9697, kTrackEntry, T},
    {0x3B4040, kTrackEntry, S},
    {0x26B240, kTrackEntry, S},
    {0xAA, kTrackEntry, U},
    {0x6FAB, kTrackEntry, U},
    {0x56AA, kTrackEntry, U},
    {0x56BB, kTrackEntry, U},
    {kTrackTranslate, kTrackEntry, M},
    {kVideoId, kTrackEntry, M},
    {kAudio, kTrackEntry, M},
    {kTrackOperation, kTrackEntry, M},
    {0xC0, kTrackEntry, U},
    {0xC1, kTrackEntry, B},
    {0xC6, kTrackEntry, U},
    {0xC7, kTrackEntry, U},
    {0xC4, kTrackEntry, B},
    {kContentEncodingsId, kTrackEntry, M},
    {0x41F0, kBlockAdditionMapping, U},
    {0x41A4, kBlockAdditionMapping, S},
    {0x41E7, kBlockAdditionMapping, U},
    {0x41ED, kBlockAdditionMapping, B},
    {0x66A5, kTrackTranslate, B},
    {0x66BF, kTrackTranslate, U},
    {0x66FC, kTrackTranslate, U},
    {0x9A, kVideo, U},
    {0x9D, kVideo, U},
    {0x53B8, kVideo, U},
    {0x53C0, kVideo, U},
    {0x53B9, kVideo, U},
    {kPixelWidthId, kVideo, U},
    {kPixelHeightId, kVideo, U},
    {0x54AA, kVideo, U},
    {0x54BB, kVideo, U},
    {0x54CC, kVideo, U},
    {0x54DD, kVideo, U},
    {0x54B0, kVideo, U},
    {0x54BA, kVideo, U},
    {0x54B2, kVideo, U},
    {0x54B3, kVideo, U},
    {0x2EB524, kVideo, B},
    {0x2FB523, kVideo, F},
    {0x2383E3, kVideo, F},
    {kColour, kVideo, M},
    {kProjection, kVideo, M},
    {0x55B1, kColour, U},
    {0x55B2, kColour, U},
    {0x55B3, kColour, U},
    {0x55B4, kColour, U},
    {0x55B5, kColour, U},
    {0x55B6, kColour, U},
    {0x55B7, kColour, U},
    {0x55B8, kColour, U},
    {0x55B9, kColour, U},
    {0x55BA, kColour, U},
    {0x55BB, kColour, U},
    {0x55BC, kColour, U},
    {0x55BD, kColour, U},
    {kMasteringMetadata, kColour, M},
    {0x55D1, kMasteringMetadata, F},
    {0x55D2, kMasteringMetadata, F},
    {0x55D3, kMasteringMetadata, F},
    {0x55D4, kMasteringMetadata, F},
    {0x55D5, kMasteringMetadata, F},
    {0x55D6, kMasteringMetadata, F},
    {0x55D7, kMasteringMetadata, F},
    {0x55D8, kMasteringMetadata, F},
    {0x55D9, kMasteringMetadata, F},
    {0x55DA, kMasteringMetadata, F},
    {0x7671, kProjection, U},
    {0x7672, kProjection, B},
    {0x7673, kProjection, F},
    {0x7674, kProjection, F},
    {0x7675, kProjection, F},
    {0xB5, kAudio, F},
    {0x78B5, kAudio, F},
    {0x9F, kAudio, U},
    {0x7D7B, kAudio, B},
    {0x6264, kAudio, U},
    {0x52F1, kAudio, U},
    {kCombinePlanes, kTrackOperation, M},
    {kJoinBlocks, kTrackOperation, M},
    {kTrackPlane, kCombinePlanes, M},
    {0xE5, kTrackPlane, U},
    {0xE6, kTrackPlane, U},
    {0xED, kJoinBlocks, U},
    {kContentEncoding, kContentEncodings, M},
    {0x5031, kContentEncoding, U},
    {kContentEncodingScopeId, kContentEncoding, U},
    {kContentEncodingTypeId, kContentEncoding, U},
    {kContentCompression, kContentEncoding, M},
    {kContentEncryption, kContentEncoding, M},
    {kContentCompAlgoId, kContentCompression, U},
    {0x4255, kContentCompression, B},
    {0x47E1, kContentEncryption, U},
    {0x47E2, kContentEncryption, B},
    {kAesSettings, kContentEncryption, M},
    {0x47E3, kContentEncryption, B},
    {0x47E4, kContentEncryption, B},
    {0x47E5, kContentEncryption, U},
    {0x47E6, kContentEncryption, U},
    {0x47E8, kAesSettings, U},
    // Cues
    {kCuePoint, kCues, M},
    {0xB3, kCuePoint, U},
    {kCueTrackPositions, kCuePoint, M},
    {0xF7, kCueTrackPositions, U},
    {0xF1, kCueTrackPositions, U},
    {0xF0, kCueTrackPositions, U},
    {0xB2, kCueTrackPositions, U},
    {0x5378, kCueTrackPositions, U},
    {0xEA, kCueTrackPositions, U},
    {kCueReference, kCueTrackPositions, M},
    {0x96, kCueReference, U},
    {0x97, kCueReference, U},
    {0x535F, kCueReference, U},
    {0xEB, kCueReference, U},
    // Attachments
    {kAttachedFile, kAttachments, M},
    {0x467E, kAttachedFile, T},
    {0x466E, kAttachedFile, T},
    {0x4660, kAttachedFile, S},
    {0x465C, kAttachedFile, B},
    {0x46AE, kAttachedFile, U},
    {0x4675, kAttachedFile, B},
    {0x4661, kAttachedFile, U},
    {0x4662, kAttachedFile, U},
    // Chapters
    {kEditionEntry, kChapters, M},
    {0x45BC, kEditionEntry, U},
    {0x45BD, kEditionEntry, U},
    {0x45DB, kEditionEntry, U},
    {0x45DD, kEditionEntry, U},
    {kEditionDisplay, kEditionEntry, M},
    {kChapterAtom, kEditionEntry, M},
    {0x4521, kEditionDisplay, T},
    {0x45E4, kEditionDisplay, S},
    {kChapterAtom, kChapterAtom, M},
    {0x73C4, kChapterAtom, U},
    {0x5654, kChapterAtom, T},
    {0x91, kChapterAtom, U},
    {0x92, kChapterAtom, U},
    {0x98, kChapterAtom, U},
    {0x4598, kChapterAtom, U},
    {0x6E67, kChapterAtom, B},
    {0x4588, kChapterAtom, U},
    {0x6EBC, kChapterAtom, U},
    {0x63C3, kChapterAtom, U},
    {kChapterTrack, kChapterAtom, M},
    {kChapterDisplay, kChapterAtom, M},
    {kChapterProcess, kChapterAtom, M},
    {0x89, kChapterTrack, U},
    {0x85, kChapterDisplay, T},
    {0x437C, kChapterDisplay, S},
    {0x437D, kChapterDisplay, S},
    {0x437E, kChapterDisplay, S},
    {0x6955, kChapterProcess, U},
    {0x450D, kChapterProcess, B},
    {kChapterProcessCommand, kChapterProcess, M},
    {0x6922, kChapterProcessCommand, U},
    {0x6933, kChapterProcessCommand, B},
    // Tags
    {kTag, kTags, M},
    {kTagTargets, kTag, M},
    {kSimpleTag, kTag, M},
    {0x68CA, kTagTargets, U},
    {0x63CA, kTagTargets, S},
    {0x63C5, kTagTargets, U},
    {0x63C9, kTagTargets, U},
    {0x63C4, kTagTargets, U},
    {0x63C6, kTagTargets, U},
    {kSimpleTag, kSimpleTag, M},
    {0x45A3, kSimpleTag, T},
    {0x447A, kSimpleTag, S},
    {0x447B, kSimpleTag, S},
    {0x4484, kSimpleTag, U},
    {0x44B4, kSimpleTag, U},
    {0x4487, kSimpleTag, T},
    {0x4485, kSimpleTag, B},
};

std::uint64_t Key(std::uint32_t id, std::uint32_t parent_id)
{
    return (std::uint64_t(parent_id) << 32) | id;
}

} // namespace

bool MatroskaSchema::Find(std::uint32_t id, std::uint32_t parent_id, ElementKind &kind)
{
    static const std::unordered_map<std::uint64_t, ElementKind> kByKey = [] {
        std::unordered_map<std::uint64_t, ElementKind> map;
        for (const SchemaEntry &entry : kSchema)
            map.emplace(Key(entry.id, entry.parent), entry.kind);
        return map;
    }();
    if (id == kVoidId || id == kCrc32Id) {
        kind = ElementKind::Binary;
        return true;
    }
    const auto found = kByKey.find(Key(id, parent_id));
    if (found == kByKey.end())
        return false;
    kind = found->second;
    return true;
}

} // namespace mkvextract
