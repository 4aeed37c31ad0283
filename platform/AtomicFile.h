// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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

/// Reads a whole file. Returns false when it does not exist or cannot be read.
bool ReadWholeFile(const std::filesystem::path &path, std::string &contents);

} // namespace quillet::platform
