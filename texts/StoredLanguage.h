// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>

namespace quillet {

namespace platform {
class SettingsStore;
}

class LanguageTable;

/// The key path of the program's settings; the language choice is among its values.
inline constexpr const char *kProgramSettingsKey = "Software\\Brontwick\\Pellumo";

/// The values that hold the language choice: the language's name and the two language folders
/// (relative to the program folder).
inline constexpr const char *kLanguageNameValue = "language";
inline constexpr const char *kLanguageFolderValue = "languagefolder";
inline constexpr const char *kCommonLanguageFolderValue = "commonlanguagefolder";

/// The language folders when none is stored.
inline constexpr const char *kDefaultLanguageFolder = "/language/tesk/";
inline constexpr const char *kDefaultCommonLanguageFolder = "/language/";

/**
 * The language the program shows its windows in, for a part that only reads the choice (the
 * subtitle style library): the stored language name looked up in the language files of
 * program_folder's stored (or default) language folder. Nothing is written.
 * @param program_folder without a trailing '/'
 * @return null when no language is stored: the built-in English texts apply
 */
std::unique_ptr<LanguageTable> LoadStoredLanguage(const platform::SettingsStore &store,
                                                  const std::string &program_folder);

} // namespace quillet
