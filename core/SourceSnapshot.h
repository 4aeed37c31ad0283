// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

/**
 * What a source file looked like when its conversion started. The engine reads a file that is
 * cut short as if it ended there, and one that is removed to its end through the descriptor it
 * holds, so neither shows in what it reports: only the file itself can tell that the output is
 * not of the file the user chose. ferrule checks its copies the same way.
 */
namespace quillet {

struct SourceSnapshot
{
    bool present = false; ///< a regular file was there to look at
    int64_t size = 0;
    int64_t modified_s = 0;
    int64_t modified_ns = 0;

    /// The file at path as it is now.
    static SourceSnapshot Of(const std::string &path);

    /**
     * Whether a conversion that started with this snapshot and ended with now may not hold the
     * file as it was: the file went away, got shorter, or was rewritten to the same size. A file
     * that only grew (a recording still being written) is not changed: what was there when the
     * conversion started was read. A file that was not there at the start, or was no regular
     * file, is never called changed (the engine reports what it could not read itself).
     */
    bool ChangedBy(const SourceSnapshot &now) const;
};

} // namespace quillet
