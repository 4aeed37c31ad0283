// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/SplitPresets.h"
#include "texts/LanguageKeys.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

/**
 * The split list: how large each output may grow. Its entries follow the current profile's file
 * (disc profiles offer only the discs they can fill); the chosen entry feeds the engine's size
 * limit, the Convert command's disc-size check and the totals line.
 */
class SplitList
{
public:
    SplitList() { Fill({}); }

    /// Refills the entries for a profile file name (folder-less, e.g. "avchd_h264.ini") and
    /// selects that profile's default entry.
    void Fill(std::string_view ini_file_name);

    const std::vector<std::string> &Entries() const { return m_entries; }
    int Selected() const { return m_selected; }
    std::string SelectedText() const;
    /// Selects the entry with this text; false (nothing changed) when the list has none.
    bool Select(std::string_view text);
    bool SelectIndex(int index);

    /// The custom split size in whole megabytes.
    int CustomSizeMb() const { return m_custom_mb; }
    /// Sets the custom size; false (unchanged) outside 0..100000.
    bool SetCustomSizeMb(int megabytes);

    /**
     * The catalogued text an entry is shown with in the user's language; the entries themselves
     * stay the English texts the engine options and the size check compare with.
     * @return null for a text that is no entry
     */
    static const LanguageKey *DisplayKey(std::string_view entry);

private:
    std::vector<std::string> m_entries;
    int m_selected = -1;
    int m_custom_mb = split::kCustomSizeInitialMb;
};

} // namespace quillet
