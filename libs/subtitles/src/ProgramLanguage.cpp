// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramLanguage.h"

#include "platform/SettingsStore.h"
#include "texts/LanguageTable.h"
#include "texts/StoredLanguage.h"

#include <dlfcn.h>

#include <filesystem>

namespace subtitles {

std::unique_ptr<quillet::LanguageTable> LoadProgramLanguage(const std::string &program_folder)
{
    const quillet::platform::SettingsStore store(quillet::platform::SettingsStore::DefaultFolder());
    return quillet::LoadStoredLanguage(store, program_folder);
}

std::string LibraryFolder()
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void *>(&LibraryFolder), &info) == 0 || !info.dli_fname)
        return {};
    return std::filesystem::path(info.dli_fname).parent_path().string();
}

} // namespace subtitles
