// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

/**
 * Private-profile access: the INI functions every part of the converter uses for profile,
 * default-profile and language files. The rules are those of IniDocument; each call reads the
 * file afresh (no cache), and each write replaces the file atomically.
 */
namespace quillet::platform {

class IniDocument;

/// The file as a document for reading: a file that is there but refused (no regular file, larger
/// than kMaxTextFileBytes, unreadable) reads as empty, and why is told on the diagnostic output,
/// so callers read their defaults.
IniDocument LoadProfileFile(const std::filesystem::path &file);

/**
 * Reads key of section from file.
 * @param capacity the caller's buffer size in bytes, terminator included: the result holds at
 *        most capacity - 1 bytes (a capacity of 0 gives an empty text)
 * @return the value, or default_value when the file, section or key is absent (a key present
 *         with an empty value gives an empty text, not the default)
 */
std::string ReadProfileString(std::string_view section, std::string_view key,
                              std::string_view default_value, std::size_t capacity,
                              const std::filesystem::path &file);

/// Reads an integer: the leading decimal number of the value (0 when it has none), or
/// default_value when the key is absent.
int ReadProfileInt(std::string_view section, std::string_view key, int default_value,
                   const std::filesystem::path &file);

/// Reads a number stored as text (at most 60 characters), converted as strtod does; an absent
/// key or a text that is not a number gives 0.
double ReadProfileFloat(std::string_view section, std::string_view key,
                        const std::filesystem::path &file);

/**
 * Fills buffer with the file's section names, each NUL-terminated, the list ended by an empty
 * name. Names that do not fit are lost; the last one that fits partly is cut, and the list still
 * ends with two NULs. The buffer is zeroed first.
 * @param cut set to whether the last name in the buffer was cut (may be null)
 * @return the number of bytes written, the final NUL not counted
 */
std::size_t ReadProfileSectionNames(char *buffer, std::size_t size,
                                    const std::filesystem::path &file, bool *cut = nullptr);

/// The section names that fit whole into a list of size bytes (ReadProfileSectionNames): a name
/// cut at the end of the list is left out, so a caller never offers a section that does not exist.
std::vector<std::string> ReadWholeSectionNames(std::size_t size, const std::filesystem::path &file);

/// Splits a NUL-separated list (as filled above) into names.
std::vector<std::string> SplitNameList(const char *buffer, std::size_t size);

/// Writes one key, creating the file and the section as needed. False when the file could not
/// be written (it is then unchanged).
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::filesystem::path &file);

/// Writes several keys of one section in one atomic replacement of the file: all or nothing.
bool WriteProfileStrings(std::string_view section,
                         const std::vector<std::pair<std::string, std::string>> &values,
                         const std::filesystem::path &file);

/// The leading decimal integer of text as the private-profile functions read it.
int LeadingInteger(std::string_view text);

} // namespace quillet::platform
