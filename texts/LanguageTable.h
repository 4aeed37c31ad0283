// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "texts/Texts.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

/// One usable language file: its display name and its file name in the language folder.
struct LanguageEntry
{
    std::string name;
    std::string file_name;
    friend bool operator==(const LanguageEntry &, const LanguageEntry &) = default;
};

/// An item of the Language submenu.
struct LanguageMenuItem
{
    std::string name;
    int command = 0; ///< kLanguageCommandFirst + index
    bool checked = false;
};

/**
 * The program's languages: the language files found in the language folder, the one selected,
 * and the text lookup every window uses. A language file is an INI file whose [Info] Language key
 * names it; its other sections hold one key per text. Lookups read the file on every call.
 */
class LanguageTable final : public Texts
{
public:
    static constexpr int kLanguageCommandFirst = 40000;
    static constexpr int kLanguageCommandLast = 40199;
    static constexpr std::size_t kTextCapacity = 500;
    static constexpr std::size_t kNameCapacity = 100;

    /// Adds one entry per usable "*.ini" file of folder (folder ends with '/'), in the order the
    /// file system lists them. An empty folder text does nothing.
    void ScanLanguageFolder(const std::string &folder);
    void SetCommonLanguageFolder(const std::string &folder) { m_common_folder = folder; }

    /// Makes name the current language; the first entry of that name gives the file. A name with
    /// no entry is still remembered, and the previous file stays selected.
    void SelectLanguage(const std::string &name);
    void SelectLanguageByIndex(int index);
    const std::string &CurrentLanguageName() const { return m_current_name; }
    const std::string &CurrentLanguageFile() const { return m_current_file; }
    const std::string &LanguageFolder() const { return m_folder; }

    /**
     * The language to start with when none is stored: the first entry whose name contains the
     * full name of the system language (for example "English (US)"), else "English".
     * @param system_language_id the platform's language identifier (primary in the low 10 bits)
     */
    std::string DefaultLanguageName(unsigned system_language_id) const;

    std::vector<LanguageEntry> CopyLanguages() const { return m_languages; }

    /// The Language submenu: every entry, the current one checked.
    std::vector<LanguageMenuItem> MenuItems() const;
    /// Handles a Language submenu command: true when command is in the language range (selecting
    /// that language when the index exists), false for any other command.
    bool HandleLanguageCommand(int command);

    /// The text of key in section of the current file ("#13", "#19", "#17" replaced), cut at 499
    /// bytes; the default when there is no file, section or key; empty for an empty value.
    std::string Lookup(std::string_view section, std::string_view key,
                       std::string_view default_text) const override;

    /// Replaces "#13" by LF, "#19" by TAB and "#17" by CR, in that order.
    static std::string ReplaceEscapes(std::string text);

private:
    std::string m_folder;
    std::string m_current_name;
    std::string m_current_file;
    std::string m_common_folder;
    std::vector<LanguageEntry> m_languages;
};

/// The process-wide language table.
LanguageTable &TheLanguageTable();

/// The shared text lookup, through the process-wide language table.
std::string LookupText(std::string_view section, std::string_view key,
                       std::string_view default_text);

} // namespace quillet
