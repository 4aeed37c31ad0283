// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <cstring>

namespace quillet::platform {

FileLock::Result FileLock::TryLock(const std::string &path, std::string *error)
{
    m_fd.Close();
    // O_NONBLOCK and O_NOFOLLOW: a FIFO or a link planted under the lock's name can neither
    // block the program nor send the lock somewhere else.
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600));
    if (!fd) {
        if (error)
            *error = path + ": " + std::strerror(errno);
        return Result::Failed;
    }
    while (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno == EWOULDBLOCK)
            return Result::Busy;
        if (error)
            *error = path + ": " + std::strerror(errno);
        return Result::Failed;
    }
    m_fd = std::move(fd);
    return Result::Locked;
}

} // namespace quillet::platform
