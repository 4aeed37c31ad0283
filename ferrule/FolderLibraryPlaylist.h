// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LibraryPlaylist.h"
#include "platform/UniqueFd.h"

#include <filesystem>

namespace quillet::ferrule {

/// The library folder while this import holds its lock; releasing the playlist (destroying it)
/// closes the lock file and so frees the library.
class FolderLibraryPlaylist : public LibraryPlaylist
{
public:
    /// @param folder the library folder
    /// @param lock the lock file, already locked exclusively
    FolderLibraryPlaylist(std::filesystem::path folder, platform::UniqueFd lock);

    /// Copies the file into the folder (see CopyIntoFolder).
    AddResult AddFile(const std::string &path) override;

private:
    std::filesystem::path m_folder;
    platform::UniqueFd m_lock;
};

} // namespace quillet::ferrule
