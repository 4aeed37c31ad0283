// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

/// One catalogued profile: a section of a profile file, shown by its section name.
struct ProfileItem
{
    std::string display_text;
    std::string ini_file; ///< file name without folder
    std::string section;
    int icon = 0;
};

/// A device group of the picker and the profiles filed under it.
struct ProfileGroup
{
    int icon = 0;
    std::string name;
    std::vector<std::unique_ptr<ProfileItem>> items;
};

/**
 * The profile catalogue behind the picker: profiles filed into device groups by the built-in
 * table of file names (unknown files go to "Other Profiles"; "All Profiles" shows every other
 * group's items), and the committed choice. The popup window shows and drives this model.
 */
class ProfileCatalogue
{
public:
    /// The eight groups, empty.
    ProfileCatalogue();

    /// Files one profile into its group; items are appended, never sorted.
    void AddProfile(std::string_view ini_file, std::string_view section);
    /// Marks the scan as done; the picker's left pane then lists Groups().
    void FinishGroups() { m_finished = true; }
    bool Finished() const { return m_finished; }

    const std::vector<ProfileGroup> &Groups() const { return m_groups; }
    int GroupCount() const { return static_cast<int>(m_groups.size()); }
    /// The items the right pane shows for group: its own, or for the last group every other
    /// group's items in group order.
    std::vector<const ProfileItem *> ItemsShownFor(int group) const;
    /// Index of the group a file belongs to, or -1.
    int GroupIndexFor(std::string_view ini_file) const;

    /// Makes the profile the committed one: its group, and the last item of that group with
    /// this section name (no item: committed item -1).
    void SelectProfile(std::string_view ini_file, std::string_view section);
    /// A user commit in the popup: group and item index within ItemsShownFor(group). An item
    /// that does not exist commits nothing and returns false.
    bool Commit(int group, int item);
    /// The committed profile, if an item is committed.
    const ProfileItem *CommittedProfile() const;
    /// The committed pair; false when no item is committed.
    bool GetSelectedProfile(std::string &ini_file, std::string &section) const;
    int CommittedGroup() const { return m_committed_group; }
    int CommittedItem() const { return m_committed_item; }

    /**
     * The start-up scan: every "*.ini" file of ini_folder in the order the file system lists
     * them, except the default-profile file "kreldef.ini"; each file's sections are added in file
     * order, every one of them. Then FinishGroups.
     */
    void Scan(const std::string &ini_folder);

private:
    std::vector<ProfileGroup> m_groups;
    int m_committed_group = -1;
    int m_committed_item = -1;
    bool m_finished = false;
};

} // namespace quillet
