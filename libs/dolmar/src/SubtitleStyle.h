// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace dolmar {

/// The subtitle style the user saved with the style dialog, as the force_style text of the
/// subtitles filter ("Fontname=DejaVu Sans,Fontsize=24,PrimaryColour=&H00FFFFFF").
///
/// The file is an INI file: QUILLET_SUBTITLE_STYLE names it, else
/// ${XDG_CONFIG_HOME:-$HOME/.config}/quillet/subtitle-style.ini as the base directory rules have
/// it (platform/BaseDirectories.h: relative values ignored, none without a usable home). Its
/// [Style] section holds keys
/// named as ASS style fields. Values that are not what the field takes are left out, so that a
/// damaged file falls back to libass's defaults field by field instead of failing the run.
class SubtitleStyle
{
public:
    /// The style file's location (it need not exist).
    static std::filesystem::path Location();

    /// force_style from the saved style file, or "" when there is none (or the name is not that
    /// of a regular file of at most 1 MiB).
    static std::string ForceStyle();

    /// force_style from the text of a style file.
    static std::string ForceStyleFrom(std::string_view ini_text);
};

} // namespace dolmar
