// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace quillet {

/**
 * Editing the subtitle style through the subtitle style library, loaded by name for one edit and
 * released after it: ST_Init(0); ST_GetSubtitleStyleDialog(0, style, window); on 0 (accepted)
 * ST_SetIniSubtitleStyle(style); ST_Exit(). Without the library, or with an entry point missing,
 * nothing happens.
 */
class SubtitleStyleEditor
{
public:
    /// The style record handed to the library; its layout is the library's own.
    static constexpr std::size_t kStyleRecordSize = 172;

    enum class Result { LibraryMissing, Cancelled, Saved };

    /// @param library_name "Subtitles" (libSubtitles.so)
    SubtitleStyleEditor(std::string program_folder, std::string library_name = "Subtitles");

    /// Runs one edit owned by window (a native window handle or null).
    Result Edit(void *window) const;

private:
    std::string m_program_folder;
    std::string m_library_name;
};

} // namespace quillet
