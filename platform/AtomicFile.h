// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace quillet::platform {

/**
 * Replaces the file at path with contents, atomically: the bytes go to a temporary file in the
 * same folder, are flushed to disk, and the temporary file is renamed over the old one. A crash,
 * a full disk or a failed write leaves either the old file or the new one, never a part of either.
 * An existing file keeps its permission bits.
 * @param error receives a readable reason on failure (may be null)
 * @return true when the new contents are in place
 */
bool ReplaceFileAtomically(const std::filesystem::path &path, std::string_view contents,
                           std::string *error = nullptr);

/// The largest settings, profile, language or style file the program reads: far beyond any real
/// one, yet small enough that a wrong file (a disc image, a log) cannot exhaust memory.
inline constexpr std::size_t kMaxTextFileBytes = std::size_t{16} * 1024 * 1024;

/// How reading a text file ended.
enum class ReadStatus {
    Ok,
    Missing, ///< nothing at the path (or a folder on the way is missing)
    NotRegular, ///< a folder, device, FIFO or socket: never read, so nothing can block or run on
    TooLarge, ///< more than the limit
    Unreadable, ///< it exists but cannot be opened or read
};

/**
 * Reads a whole regular file of at most limit_bytes. Anything else is refused before a byte is
 * read: a FIFO is opened without waiting for a writer, and a device is never read, so neither
 * can hang the program or fill its memory.
 * @param error receives a readable reason naming the file when the result is not Ok (may be null)
 */
ReadStatus ReadTextFile(const std::filesystem::path &path, std::string &contents,
                        std::string *error = nullptr, std::size_t limit_bytes = kMaxTextFileBytes);

/// Reads a whole text file as ReadTextFile does. Returns false when it does not exist or is
/// refused.
bool ReadWholeFile(const std::filesystem::path &path, std::string &contents);

} // namespace quillet::platform
