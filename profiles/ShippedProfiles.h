// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string_view>

/**
 * The shipped values of the profiles, kept beside the files the user edits. "Save and Apply"
 * rewrites a profile in its own file (in the program folder where it can be written), so the
 * values the program came with would be gone; before the program first writes a profile file,
 * it keeps a copy of the file as it was in the "shipped" folder beside it (ini/shipped/), never
 * written again. The option sheet's "Default" reads a profile from that copy when it holds it,
 * else (a profile the user made) from the file itself. The profile files keep their format, and
 * the picker lists no sub-folder.
 */
namespace quillet::shipped {

/// Where the copy of profile_file is kept: ini/shipped/<file name>.
std::filesystem::path CopyOf(const std::filesystem::path &profile_file);

/// Before a write to profile_file: keeps its copy unless one is kept already (or there is no
/// file yet). Written atomically, so a crash leaves no half copy that would be kept for good.
/// @return false when a copy was needed and could not be written
bool KeepBeforeWrite(const std::filesystem::path &profile_file);

/// The file "Default" reads section from: the kept copy when it holds the section, else
/// profile_file.
std::filesystem::path ValuesFileFor(const std::filesystem::path &profile_file,
                                    std::string_view section);

} // namespace quillet::shipped
