// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/UniqueFd.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace mkvextract {

/// The size field of an element whose writer left its size open (live streams).
inline constexpr std::uint64_t kUnknownSize = ~std::uint64_t(0);

/// The header of one EBML element, found at an absolute file position.
struct EbmlElement
{
    std::uint32_t id = 0; ///< with its length marker, as the format writes it (0x1A45DFA3)
    std::uint64_t size = 0; ///< of the data; kUnknownSize when left open
    std::uint64_t position = 0; ///< of the header
    std::uint64_t data_start = 0;

    bool SizeKnown() const { return size != kUnknownSize; }
    /// Where the element ends; only for a known size.
    std::uint64_t End() const { return data_start + size; }
};

/**
 * Reads EBML element headers and values from a file by absolute position. Reads go through one
 * small window of the file, so walking the headers near each other costs one system call per
 * window rather than one per header. Never throws.
 */
class EbmlFile
{
public:
    explicit EbmlFile(const std::string &path);

    bool Ok() const { return static_cast<bool>(m_fd); }
    std::uint64_t Size() const { return m_size; }

    /// The element header at pos; nullopt when it is malformed (an ID longer than 4 bytes, a
    /// size longer than 8, a zero first byte) or cut by the end of the file.
    std::optional<EbmlElement> ReadHeader(std::uint64_t pos);

    /// Exactly length bytes from pos into out; false when the file ends first or a read fails.
    bool Read(std::uint64_t pos, std::size_t length, std::string &out);

    /// An unsigned integer element's value; nullopt when it is longer than 8 bytes or unreadable.
    std::optional<std::uint64_t> ReadUnsigned(const EbmlElement &element);

private:
    /// A variable-length integer at pos: the count of leading zero bits of the first byte gives
    /// its length. IDs keep the length marker, sizes drop it.
    std::optional<std::uint64_t> ReadVint(std::uint64_t pos, int max_length, int &length,
                                          bool keep_marker);
    bool Fill(std::uint64_t pos);

    quillet::platform::UniqueFd m_fd;
    std::uint64_t m_size = 0;
    std::string m_window;
    std::uint64_t m_window_start = 0;
};

} // namespace mkvextract
