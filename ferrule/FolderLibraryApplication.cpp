// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderLibraryApplication.h"

#include "FolderLibraryPlaylist.h"
#include "platform/UniqueFd.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <cstring>

namespace quillet::ferrule {

namespace {

PlaylistGrant Failed(const std::filesystem::path &lock_path, int error)
{
    PlaylistGrant grant;
    grant.status = PlaylistStatus::Failed;
    grant.error = "cannot lock " + lock_path.string() + ": " + std::strerror(error);
    return grant;
}

} // namespace

FolderLibraryApplication::FolderLibraryApplication(std::filesystem::path folder)
    : m_folder(std::move(folder))
{ }

PlaylistGrant FolderLibraryApplication::GetLibraryPlaylist()
{
    const std::filesystem::path lock_path = m_folder / kLockFileName;
    // Read-only is enough for flock and works when another user made the lock file (a shared
    // library folder); 0666 before the umask lets them share it the other way round too.
    platform::UniqueFd lock(
        open(lock_path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (!lock)
        return Failed(lock_path, errno);
    int result;
    do {
        result = flock(lock.Get(), LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0 && errno == EWOULDBLOCK)
        return {PlaylistStatus::Busy, nullptr, {}};
    if (result != 0)
        return Failed(lock_path, errno);
    return {PlaylistStatus::Granted,
            std::make_unique<FolderLibraryPlaylist>(m_folder, std::move(lock)),
            {}};
}

} // namespace quillet::ferrule
