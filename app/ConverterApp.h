// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/RegistryAccess.h"
#include "platform/DataFolder.h"
#include "texts/StoredLanguage.h"

#include <functional>
#include <string>
#include <vector>

namespace quillet {

class LanguageTable;

/// One entry of the open-file dialog's filter.
struct FileFilter
{
    std::string description;
    std::string pattern; ///< "*.ts; *.m2ts", as the classic dialogs write patterns
};

/**
 * The application object: the program's folders, its settings and the accepted input types.
 * Start-up reads the settings (writing the defaults of absent or mistyped values), creates the
 * output folder and selects the language; failures to write settings or create folders never stop
 * the program.
 */
class ConverterApp
{
public:
    static constexpr const char *kSettingsKey = kProgramSettingsKey;
    static constexpr const char *kDefaultLanguageFolder = quillet::kDefaultLanguageFolder;
    static constexpr const char *kDefaultCommonLanguageFolder
        = quillet::kDefaultCommonLanguageFolder;
    /// The product page, relative to the program folder.
    static constexpr const char *kProductPageFile = "help/getting-started.html";

    /// program_folder has no trailing '/'.
    ConverterApp(RegistryAccess registry, std::string program_folder);

    /**
     * The settings part of start-up, in order: fill the texts and flags, read the output folder
     * (creating it), the first-use flag, the language folders and the language, then write the
     * output folder back.
     * @param system_language_id decides the language when none is stored
     */
    void StartUp(LanguageTable &languages, unsigned system_language_id);

    void FillTexts();
    void LoadSettings();
    void SaveSettings();
    void LoadFirstUse();
    void SaveFirstUse();
    void LoadLanguageSettings(LanguageTable &languages, unsigned system_language_id);
    /// The language choice as LoadLanguageSettings makes it (the stored language folder and
    /// name, else the defaults), writing nothing: for quillet-cli, which only reads settings.
    void ReadLanguageSettings(LanguageTable &languages, unsigned system_language_id) const;
    /// The stored output folder ("ConvertDir"); empty when none (an empty one counts as none).
    std::string StoredOutputFolder() const;
    void SaveLanguage(const LanguageTable &languages);
    /// The first-run action's bookkeeping: the flag becomes 1 and is stored.
    void MarkFirstUseDone();

    std::string DisplayName() const { return "Brontwick Quillet"; }
    const std::string &ProgramFolder() const { return m_program_folder; }
    std::string ProgramFolderWithSlash() const { return m_program_folder + "/"; }
    /// Where the program writes beside itself: ini/ (profiles saved, the remembered pick) and the
    /// default output/. The program folder, unless ChooseDataFolder took the per-user stand-in.
    const std::string &DataFolder() const { return m_data_folder; }
    /// The profile folder, ending with '/'.
    std::string IniFolder() const { return m_data_folder + "/ini/"; }
    /**
     * Before start-up: keeps the program folder when it can be written, else sets up the per-user
     * stand-in (its ini/ brought up to date with the built-in files) and writes there from now on.
     * @param user_data_home the stand-in's base ($XDG_DATA_HOME or ~/.local/share)
     * @return what was chosen; error says what could not be set up
     */
    platform::DataFolderChoice
    ChooseDataFolder(const std::string &user_data_home,
                     const std::function<bool(const std::string &)> &writable
                     = platform::FolderWritable);
    const std::string &OutputFolder() const { return m_output_folder; }
    /// Sets the output folder (a '/' is appended when missing); SaveSettings stores it.
    void SetOutputFolder(std::string folder);
    uint32_t FirstUse() const { return m_first_use; }
    /// The product page (a file: address of the getting-started page) and the support page
    /// (its help section).
    const std::string &ProductPage() const { return m_product_page; }
    const std::string &SupportPage() const { return m_support_page; }
    const std::string &AcceptedExtensions() const { return m_extensions; }
    const std::vector<FileFilter> &OpenFileFilter() const { return m_filter; }
    /// The filter as NUL-separated pairs ending with an extra NUL.
    std::string OpenFileFilterBuffer() const;

    bool merge_flag = false; ///< "Merge into one file", for this run only
    bool apply_to_all_flag = true; ///< "Apply to All", for this run only

    const RegistryAccess &Registry() const { return m_registry; }

private:
    enum class WriteDefaults { No, Yes };
    void SelectLanguage(LanguageTable &languages, unsigned system_language_id,
                        WriteDefaults write) const;

    RegistryAccess m_registry;
    std::string m_program_folder;
    std::string m_data_folder;
    std::string m_output_folder;
    uint32_t m_first_use = 0;
    std::string m_product_page;
    std::string m_support_page;
    std::string m_extensions;
    std::vector<FileFilter> m_filter;
};

} // namespace quillet
