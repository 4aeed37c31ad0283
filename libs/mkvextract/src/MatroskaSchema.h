// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace mkvextract {

/// How an element's data is read.
enum class ElementKind {
    Master, ///< holds child elements
    Unsigned,
    Signed,
    Float,
    Date,
    Ascii, ///< text read up to its first NUL byte
    Utf8, ///< text read up to its first NUL byte, which must then be well-formed UTF-8
    Binary,
};

/**
 * The elements a Matroska file may hold outside its clusters' frames, each under the parent it
 * belongs to, as the Matroska element table defines them. The track reader accepts a file as
 * read only when every element it walks through is listed here under its own parent: an
 * element that mkvmerge would take for an unknown one, or for one that closes its parent early,
 * leaves the file to mkvmerge.
 */
class MatroskaSchema
{
public:
    /// The kind of element id as a child of parent_id; nullopt-like false when it is not one.
    /// Void and CRC-32 elements may stand in any master.
    static bool Find(std::uint32_t id, std::uint32_t parent_id, ElementKind &kind);
};

} // namespace mkvextract
