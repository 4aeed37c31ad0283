// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

/**
 * The list of file types the converter takes, as one text of dot-led entries
 * (".ts.m2ts.avi..."), and the one rule every way of adding files (a folder scan, a drop, the
 * file dialog's filter) matches a name against it: an extension is taken only when it is a whole
 * entry, ignoring case. Looked up as a substring, ".a" would be found inside ".avi" and ".t"
 * inside ".ts".
 */
namespace quillet {

/// Every type the converter takes: video, the disc and camera formats, and sound alone (three
/// of the profiles make audio), as ".ts.m2ts.avi...".
extern const std::string_view kAcceptedExtensions;

/// One line of the open-file dialog's filter list.
struct TypeFilter
{
    std::string description;
    std::string pattern; ///< "*.ts; *.m2ts", as the classic dialogs write patterns
};

/// The open-file dialog's filter list: "All support files" (every accepted type), a line per
/// family of types and per type, then "All files".
std::vector<TypeFilter> OpenFileFilters();

/// Whether extension (".avi" or "avi", any case) is a whole entry of list.
bool ExtensionInList(std::string_view list, std::string_view extension);

/// The list as file dialog patterns: "*.ts; *.m2ts; *.avi".
std::string ExtensionPatterns(std::string_view list);

} // namespace quillet
