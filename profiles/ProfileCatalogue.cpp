// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/ProfileCatalogue.h"

#include "core/ProfileFile.h"
#include "platform/TextCase.h"
#include "profiles/DeviceGroupTable.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace quillet {

namespace {

struct Filing
{
    std::string_view group;
    int item_icon;
};

/// The group and item icon for a file name: an exact, case-sensitive match in the table.
Filing FileProfile(std::string_view ini_file)
{
    for (const auto &row : DeviceGroupTable())
        if (row.ini_file.view() == ini_file)
            return {row.group_name.view(), row.item_icon};
    return {kOtherProfilesGroup, kAppIcon};
}

} // namespace

ProfileCatalogue::ProfileCatalogue()
{
    for (const auto &row : DeviceGroupTable()) {
        bool known = std::any_of(m_groups.begin(), m_groups.end(), [&](const ProfileGroup &g) {
            return g.name == row.group_name.view();
        });
        if (!known) {
            ProfileGroup group;
            group.icon = row.group_icon;
            group.name = row.group_name.str();
            m_groups.push_back(std::move(group));
        }
    }
    ProfileGroup other;
    other.icon = kOtherProfilesIcon;
    other.name = kOtherProfilesGroup;
    m_groups.push_back(std::move(other));
    ProfileGroup all;
    all.icon = kAppIcon;
    all.name = kAllProfilesGroup;
    m_groups.push_back(std::move(all));
}

int ProfileCatalogue::GroupIndexFor(std::string_view ini_file) const
{
    const Filing filing = FileProfile(ini_file);
    for (std::size_t i = 0; i < m_groups.size(); ++i)
        if (m_groups[i].name == filing.group)
            return static_cast<int>(i);
    return -1;
}

void ProfileCatalogue::AddProfile(std::string_view ini_file, std::string_view section)
{
    const int group = GroupIndexFor(ini_file);
    if (group < 0)
        return;
    auto item = std::make_unique<ProfileItem>();
    item->display_text = std::string(section);
    item->ini_file = std::string(ini_file);
    item->section = std::string(section);
    item->icon = FileProfile(ini_file).item_icon;
    m_groups[static_cast<std::size_t>(group)].items.push_back(std::move(item));
}

std::vector<const ProfileItem *> ProfileCatalogue::ItemsShownFor(int group) const
{
    std::vector<const ProfileItem *> items;
    if (group < 0 || group >= GroupCount())
        return items;
    const bool all = group == GroupCount() - 1;
    for (int g = all ? 0 : group; g <= (all ? GroupCount() - 2 : group); ++g)
        for (const auto &item : m_groups[static_cast<std::size_t>(g)].items)
            items.push_back(item.get());
    return items;
}

void ProfileCatalogue::SelectProfile(std::string_view ini_file, std::string_view section)
{
    const int group = GroupIndexFor(ini_file);
    if (group < 0)
        return;
    m_committed_group = group;
    m_committed_item = -1;
    const auto items = ItemsShownFor(group);
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i]->section == section)
            m_committed_item = static_cast<int>(i);
}

bool ProfileCatalogue::Commit(int group, int item)
{
    const auto items = ItemsShownFor(group);
    if (item < 0 || item >= static_cast<int>(items.size()))
        return false;
    m_committed_group = group;
    m_committed_item = item;
    return true;
}

const ProfileItem *ProfileCatalogue::CommittedProfile() const
{
    const auto items = ItemsShownFor(m_committed_group);
    if (m_committed_item < 0 || m_committed_item >= static_cast<int>(items.size()))
        return nullptr;
    return items[static_cast<std::size_t>(m_committed_item)];
}

bool ProfileCatalogue::GetSelectedProfile(std::string &ini_file, std::string &section) const
{
    const ProfileItem *item = CommittedProfile();
    if (!item)
        return false;
    ini_file = item->ini_file;
    section = item->section;
    return true;
}

void ProfileCatalogue::Scan(const std::string &ini_folder)
{
    std::error_code ec;
    std::filesystem::directory_iterator it(ini_folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        // An entry that cannot be looked at (a link loop) is skipped, not taken for the end of
        // the folder.
        std::error_code type_ec;
        if (it->is_directory(type_ec) || !platform::EndsWithIgnoringCase(name, ".ini")
            || name == "kreldef.ini")
            continue;
        for (const auto &section : ProfileFile::SectionNames(it->path()))
            AddProfile(name, section);
    }
    FinishGroups();
}

} // namespace quillet
