// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// Writes Matroska files element by element, for the odd structures no muxer writes.
namespace mkvextract_test::ebml {

/// One element: ID bytes, size, data. size_bytes 0 picks the shortest size field.
std::string Element(std::uint32_t id, std::string_view data, int size_bytes = 0);
std::string Unsigned(std::uint32_t id, std::uint64_t value);
std::string Text(std::uint32_t id, std::string_view text);
std::string Master(std::uint32_t id, std::initializer_list<std::string> children);
std::string Master(std::uint32_t id, const std::vector<std::string> &children);
/// A master whose size field says "unknown".
std::string OpenMaster(std::uint32_t id, std::initializer_list<std::string> children);

/// A TrackEntry; fields left empty are not written.
struct Entry
{
    std::optional<std::uint64_t> number{};
    std::optional<std::uint64_t> type{}; ///< 1 video, 2 audio, 0x11 subtitles
    std::optional<std::string> codec{};
    std::optional<std::string> language{};
    std::optional<std::string> name{};
    std::string extra{}; ///< more children, written as given
    /// A Video element with this picture size (video tracks get 64 x 48 unless told).
    std::optional<std::pair<std::uint64_t, std::uint64_t>> picture{};
};
std::string TrackEntry(const Entry &entry);
std::string Tracks(const std::vector<Entry> &entries);

std::string EbmlHeader(std::string_view doc_type = "matroska");
std::string Info();
/// A cluster holding one frame of track 1.
std::string Cluster();

/// The segment's children after a seek head that points at every Info and Tracks element
/// among them.
std::vector<std::string> WithSeekHead(const std::vector<std::string> &children);

/// EBML header + a segment of known size holding children.
std::string File(const std::vector<std::string> &children, std::string_view doc_type = "matroska");

/// The segment children of a Matroska file, each whole (header and data), in file order.
std::vector<std::string> SegmentChildren(const std::filesystem::path &file);
/// The ID of a whole element as Element() writes it.
std::uint32_t IdOf(std::string_view element);

} // namespace mkvextract_test::ebml
