// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc/SplitList.h"

#include "platform/Paths.h"

namespace quillet {

void SplitList::Fill(std::string_view ini_file_name)
{
    using namespace split;
    const std::string_view name = platform::WithoutExtension(ini_file_name);
    std::vector<std::string_view> entries;
    std::string_view selected;
    if (name == "blu-ray_h264" || name == "blu-ray_mpeg2") {
        entries = {kBd25, kBd50, kDvd5, kDvd9};
        selected = kBd25;
    } else if (name == "avchd_h264" || name == "avchd_mpeg2") {
        entries = {kDvd5, kDvd9, kBd25, kBd50};
        selected = kDvd5;
    } else if (name == "ntscdvd" || name == "paldvd") {
        entries = {kDvd5, kDvd9};
        selected = kDvd5;
    } else {
        entries = {kDvd5, kDvd9, kBd25, kBd50, kCustom, kNoSplit};
        selected = kNoSplit;
    }
    m_entries.assign(entries.begin(), entries.end());
    Select(selected);
}

const LanguageKey *SplitList::DisplayKey(std::string_view entry)
{
    using namespace split;
    static constexpr std::pair<std::string_view, const LanguageKey *> kKeys[] = {
        {kDvd5, &CataloguedKey("MAIN_DLG", "strSplitDvd5Info")},
        {kDvd9, &CataloguedKey("MAIN_DLG", "strSplitDvd9Info")},
        {kBd25, &CataloguedKey("MAIN_DLG", "strSplitBd25Info")},
        {kBd50, &CataloguedKey("MAIN_DLG", "strSplitBd50Info")},
        {kCustom, &CataloguedKey("MAIN_DLG", "strSplitCustomInfo")},
        {kNoSplit, &CataloguedKey("MAIN_DLG", "strSplitNoneInfo")},
    };
    for (const auto &[text, key] : kKeys)
        if (text == entry)
            return key;
    return nullptr;
}

std::string SplitList::SelectedText() const
{
    if (m_selected < 0 || m_selected >= static_cast<int>(m_entries.size()))
        return {};
    return m_entries[static_cast<std::size_t>(m_selected)];
}

bool SplitList::Select(std::string_view text)
{
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i] == text) {
            m_selected = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

bool SplitList::SelectIndex(int index)
{
    if (index < 0 || index >= static_cast<int>(m_entries.size()))
        return false;
    m_selected = index;
    return true;
}

bool SplitList::SetCustomSizeMb(int megabytes)
{
    if (megabytes < split::kCustomSizeMinMb || megabytes > split::kCustomSizeMaxMb)
        return false;
    m_custom_mb = megabytes;
    return true;
}

} // namespace quillet
