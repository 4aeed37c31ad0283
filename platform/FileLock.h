// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/UniqueFd.h"

#include <string>

namespace quillet::platform {

/**
 * An exclusive lock that one owner at a time holds on a lock file, across processes and within
 * one: an flock on the file, so the kernel releases it when the owner goes away in any way (a
 * SIGKILL or a crash included) and a dead owner never keeps it. The lock file itself is never
 * removed, since removing it would let two owners lock two different files of the same name.
 */
class FileLock
{
public:
    enum class Result {
        Locked,
        Busy, ///< another owner holds it
        Failed, ///< the lock file cannot be made or opened (error says why)
    };

    /// Holds nothing.
    FileLock() = default;

    /**
     * Takes the lock on path without waiting, creating the file (mode 0600) when needed.
     * @param error receives a readable reason when the result is Failed (may be null)
     */
    Result TryLock(const std::string &path, std::string *error = nullptr);
    bool Held() const { return static_cast<bool>(m_fd); }
    /// Gives the lock up.
    void Release() { m_fd.Close(); }

private:
    UniqueFd m_fd;
};

} // namespace quillet::platform
