// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MediaApplication.h"

#include <filesystem>

namespace quillet::ferrule {

/// A library folder that exists. Imports into it take turns through a lock file inside it.
class FolderLibraryApplication : public MediaApplication
{
public:
    /// The lock file's name inside the library folder. Hidden, and left in place: removing it
    /// while another import waits to open it would let two imports hold different locks.
    static constexpr const char *kLockFileName = ".ferrule.lock";

    explicit FolderLibraryApplication(std::filesystem::path folder);

    /// Takes an exclusive lock (flock) on the lock file without waiting: Busy when another
    /// process holds it, Failed when the lock file cannot be opened or created.
    PlaylistGrant GetLibraryPlaylist() override;

private:
    std::filesystem::path m_folder;
};

} // namespace quillet::ferrule
