// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

/**
 * Path text helpers. Paths are narrow text with '/' as the separator; these functions work on
 * the text alone, the way the converter's naming rules are defined.
 */
namespace quillet::platform {

/// Text after the last '/' (the whole text when it has none).
std::string_view FileNameOf(std::string_view path);
/// Text before the last '/' (empty when it has none).
std::string_view FolderOf(std::string_view path);
/// Text after the last '.' (empty when it has none).
std::string_view ExtensionOf(std::string_view path);
/// Text before the last '.' (the whole text when it has none).
std::string_view WithoutExtension(std::string_view path);
/// The file name without folder and extension.
std::string_view StemOf(std::string_view path);

/// Folder of the running executable, without a trailing '/'.
std::string ProgramFolder();
/// The same with exactly one trailing '/'.
std::string ProgramFolderWithSlash();

/// Creates every missing folder of path up to its last '/' (so "a/b/" creates a/b and "a/b"
/// creates a). Returns false when a level could not be created.
bool CreateFolderLevels(std::string_view path);

/// Whether a file (of any kind) exists at path.
bool PathExists(const std::string &path);

} // namespace quillet::platform
