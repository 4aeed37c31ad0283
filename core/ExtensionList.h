// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

/**
 * The list of file types the converter takes, as one text of dot-led entries
 * (".ts.m2ts.avi..."), and the one rule every way of adding files (a folder scan, a drop, the
 * file dialog's filter) matches a name against it: an extension is taken only when it is a whole
 * entry, ignoring case. Looked up as a substring, ".a" would be found inside ".avi" and ".t"
 * inside ".ts".
 */
namespace quillet {

/// Whether extension (".avi" or "avi", any case) is a whole entry of list.
bool ExtensionInList(std::string_view list, std::string_view extension);

/// The list as file dialog patterns: "*.ts; *.m2ts; *.avi".
std::string ExtensionPatterns(std::string_view list);

} // namespace quillet
