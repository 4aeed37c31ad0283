// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>

namespace quillet {
class LanguageTable;
}

namespace subtitles {

/**
 * The language the converter shows its windows in, for the style dialog's texts: the language
 * name and language folder the converter keeps in its settings, looked up in the language files
 * of the program folder this library lies in. Only read: the library never writes the settings.
 * Null when no language is stored (the built-in English texts then apply).
 */
std::unique_ptr<quillet::LanguageTable> LoadProgramLanguage(const std::string &program_folder);

/// The folder this library was loaded from, without a trailing '/'.
std::string LibraryFolder();

} // namespace subtitles
