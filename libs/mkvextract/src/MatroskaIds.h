// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// The Matroska element IDs the library looks at by name; MatroskaSchema knows them all.
namespace mkvextract {

inline constexpr std::uint32_t kEbmlHeaderId = 0x1A45DFA3;
inline constexpr std::uint32_t kDocTypeId = 0x4282;
inline constexpr std::uint32_t kSegmentId = 0x18538067;
inline constexpr std::uint32_t kVoidId = 0xEC;
inline constexpr std::uint32_t kCrc32Id = 0xBF;

// Children of the Segment ("level 1").
inline constexpr std::uint32_t kSeekHeadId = 0x114D9B74;
inline constexpr std::uint32_t kInfoId = 0x1549A966;
inline constexpr std::uint32_t kTracksId = 0x1654AE6B;
inline constexpr std::uint32_t kClusterId = 0x1F43B675;
inline constexpr std::uint32_t kCuesId = 0x1C53BB6B;
inline constexpr std::uint32_t kAttachmentsId = 0x1941A469;
inline constexpr std::uint32_t kChaptersId = 0x1043A770;
inline constexpr std::uint32_t kTagsId = 0x1254C367;

inline constexpr std::uint32_t kSeekId = 0x4DBB;
inline constexpr std::uint32_t kSeekIdId = 0x53AB;
inline constexpr std::uint32_t kSeekPositionId = 0x53AC;

inline constexpr std::uint32_t kTrackEntryId = 0xAE;
inline constexpr std::uint32_t kTrackNumberId = 0xD7;
inline constexpr std::uint32_t kTrackTypeId = 0x83;
inline constexpr std::uint32_t kCodecIdId = 0x86;
inline constexpr std::uint32_t kCodecPrivateId = 0x63A2;
inline constexpr std::uint32_t kLanguageId = 0x22B59C;
inline constexpr std::uint32_t kTrackNameId = 0x536E;
inline constexpr std::uint32_t kContentEncodingsId = 0x6D80;
inline constexpr std::uint32_t kContentEncodingId = 0x6240;
inline constexpr std::uint32_t kContentEncodingScopeId = 0x5032;
inline constexpr std::uint32_t kContentEncodingTypeId = 0x5033;
inline constexpr std::uint32_t kContentCompressionId = 0x5034;
inline constexpr std::uint32_t kContentCompAlgoId = 0x4254;
inline constexpr std::uint32_t kVideoId = 0xE0;
inline constexpr std::uint32_t kPixelWidthId = 0xB0;
inline constexpr std::uint32_t kPixelHeightId = 0xBA;

} // namespace mkvextract
