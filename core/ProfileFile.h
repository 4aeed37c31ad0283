// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ProfileRecord.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

/**
 * Reading and writing profiles: one profile is one section of an INI file in the program's ini/
 * folder, one key per ProfileRecord member that has a key.
 */
// The namespace is named as the design names the module; its callers read ProfileFile::Read.
namespace quillet::ProfileFile { // NOLINT(readability-identifier-naming)

/// Size of the section-name buffer used when listing a file's profiles.
constexpr std::size_t kSectionListSize = 5120;

/**
 * Fills every keyed member of record from section of file, and the section name. Strings are cut
 * to their field; integers default to 0; float keys are read as text and converted (a missing or
 * non-numeric value gives 0). The record's profile_path is left as it was.
 */
void Read(std::string_view section, ProfileRecord &record, const std::filesystem::path &file);

/// Writes every keyed member into section of file in one atomic replacement of the file,
/// creating file and section as needed; other keys and lines stay. False on failure.
bool Write(std::string_view section, const ProfileRecord &record,
           const std::filesystem::path &file);

/// Result of WriteIfAbsent.
enum class WriteIfAbsentResult { Exists = 0, Written = 1, Failed = -1 };

/// Writes the profile only when no section of that name (ignoring case) is in the file yet.
/// Failed also when the file exists but is refused (no regular file, too large).
WriteIfAbsentResult WriteIfAbsent(std::string_view section, const ProfileRecord &record,
                                  const std::filesystem::path &file);

/// Fills buffer with the file's section names as a NUL-separated list ending in an empty name.
std::size_t List(const std::filesystem::path &file, char *buffer, std::size_t size);

/// The file's section names, as listed into a buffer of kSectionListSize bytes; a name the buffer
/// cuts is left out.
std::vector<std::string> ListNames(const std::filesystem::path &file);

/// Every section name of the file, in file order, however many there are: the profiles a user
/// can pick. A file grows with each "Save as" into it, and a profile saved past the first
/// kSectionListSize bytes of names is as much the user's as the first one. Empty when the file
/// cannot be read.
std::vector<std::string> SectionNames(const std::filesystem::path &file);

} // namespace quillet::ProfileFile
