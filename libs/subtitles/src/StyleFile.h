// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "StyleSettings.h"

#include <filesystem>
#include <string>

namespace subtitles {

/**
 * The saved subtitle style: the INI file the engine reads when it burns text subtitles in. Its
 * [Style] section holds ASS style fields; saving rewrites the fields the dialog edits and keeps
 * every other line of the file. Reading goes through the engine's own parser, so the dialog starts
 * from exactly what the next conversion would use.
 */
class StyleFile
{
public:
    /// The file the engine reads ($QUILLET_SUBTITLE_STYLE, else the user's config folder).
    StyleFile();
    explicit StyleFile(std::filesystem::path location);

    const std::filesystem::path &Location() const { return m_location; }

    /// The saved style over defaults: each field the engine would take from the file replaces
    /// the default one.
    StyleSettings Load(const StyleSettings &defaults) const;

    /// The file's text once settings are saved into it.
    std::string TextAfterSaving(const StyleSettings &settings) const;

    /// The subtitles filter's force_style the engine will build once settings are saved.
    std::string ForceStyleAfterSaving(const StyleSettings &settings) const;

    /// Saves settings atomically, creating the folder; false (and error set) when it cannot.
    bool Save(const StyleSettings &settings, std::string *error = nullptr) const;

private:
    std::filesystem::path m_location;
};

} // namespace subtitles
