// SPDX-License-Identifier: GPL-3.0-or-later
#include "texts/StoredLanguage.h"

#include "platform/SettingsStore.h"
#include "texts/LanguageTable.h"

#include <optional>

namespace quillet {

namespace {

/// A value of one of the text types, as the program reads its text settings.
std::optional<std::string> StoredText(const platform::SettingsStore &store, const char *name)
{
    using Type = platform::SettingsStore::Type;
    auto value = store.Read(kProgramSettingsKey, name);
    if (!value
        || (value->type != Type::String && value->type != Type::ExpandString
            && value->type != Type::Link))
        return std::nullopt;
    return std::move(value->text);
}

} // namespace

std::unique_ptr<LanguageTable> LoadStoredLanguage(const platform::SettingsStore &store,
                                                  const std::string &program_folder)
{
    const std::optional<std::string> name = StoredText(store, kLanguageNameValue);
    if (!name || name->empty())
        return nullptr;
    const std::string folder
        = StoredText(store, kLanguageFolderValue).value_or(kDefaultLanguageFolder);
    auto table = std::make_unique<LanguageTable>();
    table->ScanLanguageFolder(program_folder + folder);
    table->SelectLanguage(*name);
    return table;
}

} // namespace quillet
