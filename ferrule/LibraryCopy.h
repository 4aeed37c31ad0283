// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LibraryPlaylist.h"

#include <filesystem>
#include <string>

namespace quillet::ferrule {

/// The name a file gets in the library when its own name is taken: " (N)" before the extension
/// ("clip.mp4" -> "clip (2).mp4"); N = 0 is the name itself.
std::string NumberedName(const std::filesystem::path &file_name, int number);

/// Copies a regular file into a folder under its own name, or the first free numbered name. An
/// existing file is never replaced, and the final name only ever holds the complete copy: the
/// bytes go to a hidden temporary file in the same folder first, which is renamed into place once
/// it is flushed to disk and removed if anything fails. A file already inside the folder (or a
/// folder below it) is left where it is and counts as added.
/// @param source the file to copy
/// @param folder the library folder; must exist
AddResult CopyIntoFolder(const std::filesystem::path &source, const std::filesystem::path &folder);

} // namespace quillet::ferrule
