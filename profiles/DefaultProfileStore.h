// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "profiles/DefaultProfileSetting.h"

#include <string>
#include <string_view>

namespace quillet {

/**
 * The remembered default profile: the file "kreldef.ini" beside the profile files, whose
 * OUTPUT_DEFAULT section names the last picked profile and whose "default" section records the
 * names given in "save as".
 */
class DefaultProfileStore
{
public:
    static constexpr const char *kFileName = "kreldef.ini";

    /// ini_folder is the program's profile folder, ending with '/'.
    explicit DefaultProfileStore(std::string ini_folder);

    std::string Path() const { return m_ini_folder + kFileName; }

    /// The remembered profile; empty names and index 0 when nothing is stored.
    DefaultProfileSetting Read() const;
    /// Remembers a pick. False when the file could not be written.
    bool Write(std::string_view ini_file, std::string_view profile, int aspect_index) const;
    /// Records the name last given to a profile of ini_file in "save as".
    bool WriteSavedAsName(std::string_view ini_file, std::string_view new_profile) const;

private:
    std::string m_ini_folder;
};

} // namespace quillet
