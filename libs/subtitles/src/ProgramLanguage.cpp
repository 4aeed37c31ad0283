// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramLanguage.h"

#include "app/ConverterApp.h"
#include "app/LanguageTable.h"
#include "app/RegistryAccess.h"

#include <dlfcn.h>

#include <filesystem>

namespace subtitles {

std::unique_ptr<quillet::LanguageTable> LoadProgramLanguage(const std::string &program_folder)
{
    using quillet::ConverterApp;
    const quillet::RegistryAccess registry{
        quillet::platform::SettingsStore(quillet::platform::SettingsStore::DefaultFolder())};
    std::string name;
    if (!registry.ReadText(ConverterApp::kSettingsKey, "language", name) || name.empty())
        return nullptr;
    std::string folder;
    if (!registry.ReadText(ConverterApp::kSettingsKey, "languagefolder", folder))
        folder = ConverterApp::kDefaultLanguageFolder;
    auto table = std::make_unique<quillet::LanguageTable>();
    table->ScanLanguageFolder(program_folder + folder);
    table->SelectLanguage(name);
    return table;
}

std::string LibraryFolder()
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void *>(&LibraryFolder), &info) == 0 || !info.dli_fname)
        return {};
    return std::filesystem::path(info.dli_fname).parent_path().string();
}

} // namespace subtitles
