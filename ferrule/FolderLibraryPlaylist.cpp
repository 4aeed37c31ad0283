// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderLibraryPlaylist.h"

#include "LibraryCopy.h"

namespace quillet::ferrule {

FolderLibraryPlaylist::FolderLibraryPlaylist(std::filesystem::path folder, platform::UniqueFd lock)
    : m_folder(std::move(folder))
    , m_lock(std::move(lock))
{ }

AddResult FolderLibraryPlaylist::AddFile(const std::string &path)
{
    return CopyIntoFolder(path, m_folder);
}

} // namespace quillet::ferrule
