// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ConverterApp.h"

#include "core/ExtensionList.h"
#include "platform/Paths.h"
#include "texts/LanguageTable.h"

#include <utility>

namespace quillet {

namespace {

/// A file: address for a local path: every byte but the unreserved ones and '/' is
/// percent-encoded, so spaces and non-ASCII names survive.
std::string FileAddress(std::string_view path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string address = "file://";
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')
            || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            address += static_cast<char>(c);
        } else {
            address += '%';
            address += kHex[c >> 4];
            address += kHex[c & 0xF];
        }
    }
    return address;
}

} // namespace

ConverterApp::ConverterApp(RegistryAccess registry, std::string program_folder)
    : m_registry(std::move(registry))
    , m_program_folder(std::move(program_folder))
    , m_data_folder(m_program_folder)
{ }

platform::DataFolderChoice
ConverterApp::ChooseDataFolder(const std::string &user_data_home,
                               const std::function<bool(const std::string &)> &writable)
{
    platform::DataFolderChoice choice
        = platform::ChooseDataFolder(m_program_folder, user_data_home, writable);
    m_data_folder = choice.folder;
    return choice;
}

void ConverterApp::StartUp(LanguageTable &languages, unsigned system_language_id)
{
    FillTexts();
    LoadSettings();
    LoadFirstUse();
    LoadLanguageSettings(languages, system_language_id);
    SaveSettings();
}

void ConverterApp::FillTexts()
{
    // The product page is the getting-started page in the program folder, so it opens without
    // a network; the support page is its help section.
    m_product_page = FileAddress(m_program_folder + "/" + kProductPageFile);
    m_support_page = m_product_page + "#help";
    // The one list the scans, the drops and the window's dialog take (core/ExtensionList).
    m_extensions = std::string(kAcceptedExtensions);
    m_filter.clear();
    for (TypeFilter &filter : OpenFileFilters())
        m_filter.push_back({std::move(filter.description), std::move(filter.pattern)});
    merge_flag = false;
    apply_to_all_flag = true;
}

std::string ConverterApp::OpenFileFilterBuffer() const
{
    std::string buffer;
    for (const auto &f : m_filter) {
        buffer += f.description;
        buffer += '\0';
        buffer += f.pattern;
        buffer += '\0';
    }
    buffer += '\0';
    return buffer;
}

void ConverterApp::SetOutputFolder(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    m_output_folder = std::move(folder);
}

void ConverterApp::LoadSettings()
{
    if (const std::string folder = StoredOutputFolder(); !folder.empty()) {
        // Output paths are the folder and the file name run together, so the folder must end
        // in a separator; a hand-edited value without one would scatter outputs one level up.
        SetOutputFolder(folder);
    } else {
        m_output_folder = m_data_folder + "/output/";
        m_registry.WriteText(kSettingsKey, "ConvertDir", m_output_folder);
    }
    platform::CreateFolderLevels(m_output_folder);
}

void ConverterApp::SaveSettings()
{
    m_registry.WriteText(kSettingsKey, "ConvertDir", m_output_folder);
}

void ConverterApp::LoadFirstUse()
{
    if (!m_registry.ReadNumber(kSettingsKey, "firstuse", m_first_use)) {
        m_first_use = 0;
        m_registry.WriteNumber(kSettingsKey, "firstuse", 0);
    }
}

void ConverterApp::SaveFirstUse()
{
    m_registry.WriteNumber(kSettingsKey, "firstuse", m_first_use);
}

void ConverterApp::MarkFirstUseDone()
{
    m_first_use = 1;
    SaveFirstUse();
}

void ConverterApp::LoadLanguageSettings(LanguageTable &languages, unsigned system_language_id)
{
    SelectLanguage(languages, system_language_id, WriteDefaults::Yes);
}

void ConverterApp::ReadLanguageSettings(LanguageTable &languages, unsigned system_language_id) const
{
    SelectLanguage(languages, system_language_id, WriteDefaults::No);
}

void ConverterApp::SelectLanguage(LanguageTable &languages, unsigned system_language_id,
                                  WriteDefaults write) const
{
    // Each value absent is taken from its default (and, on start-up, stored).
    const auto read = [&](const char *name, const std::function<std::string()> &fallback) {
        std::string value;
        if (!m_registry.ReadText(kSettingsKey, name, value)) {
            value = fallback();
            if (write == WriteDefaults::Yes)
                m_registry.WriteText(kSettingsKey, name, value);
        }
        return value;
    };
    languages.ScanLanguageFolder(
        m_program_folder + read(kLanguageFolderValue, [] { return kDefaultLanguageFolder; }));
    languages.SetCommonLanguageFolder(m_program_folder + read(kCommonLanguageFolderValue, [] {
                                          return kDefaultCommonLanguageFolder;
                                      }));
    languages.SelectLanguage(read(
        kLanguageNameValue, [&] { return languages.DefaultLanguageName(system_language_id); }));
}

std::string ConverterApp::StoredOutputFolder() const
{
    std::string folder;
    if (!m_registry.ReadText(kSettingsKey, "ConvertDir", folder))
        folder.clear();
    return folder;
}

void ConverterApp::SaveLanguage(const LanguageTable &languages)
{
    m_registry.WriteText(kSettingsKey, kLanguageNameValue, languages.CurrentLanguageName());
}

} // namespace quillet
