// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/DefaultProfileStore.h"

#include "platform/PrivateProfile.h"

namespace quillet {

namespace {
constexpr const char *kSection = "OUTPUT_DEFAULT";
}

DefaultProfileStore::DefaultProfileStore(std::string ini_folder)
    : m_ini_folder(std::move(ini_folder))
{ }

DefaultProfileSetting DefaultProfileStore::Read() const
{
    using platform::ReadProfileString;
    DefaultProfileSetting setting;
    setting.output_ini_file = ReadProfileString(kSection, "outputinifile", "", 200, Path());
    setting.output_profile = ReadProfileString(kSection, "outputprofile", "", 200, Path());
    setting.aspect_index
        = platform::LeadingInteger(ReadProfileString(kSection, "outputcalcaspect", "", 60, Path()));
    return setting;
}

bool DefaultProfileStore::Write(std::string_view ini_file, std::string_view profile,
                                int aspect_index) const
{
    return platform::WriteProfileStrings(kSection,
                                         {{"outputinifile", std::string(ini_file)},
                                          {"outputprofile", std::string(profile)},
                                          {"outputcalcaspect", std::to_string(aspect_index)}},
                                         Path());
}

bool DefaultProfileStore::WriteSavedAsName(std::string_view ini_file,
                                           std::string_view new_profile) const
{
    return platform::WriteProfileString("default", ini_file, new_profile, Path());
}

} // namespace quillet
