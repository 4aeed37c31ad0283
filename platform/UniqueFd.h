// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <unistd.h>

#include <utility>

namespace quillet::platform {

/// Owns one file descriptor and closes it when it goes away.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : m_fd(fd)
    { }
    ~UniqueFd() { Close(); }
    UniqueFd(UniqueFd &&other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    { }
    UniqueFd &operator=(UniqueFd &&other) noexcept
    {
        if (this != &other) {
            Close();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;

    int Get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }

    /**
     * Closes now and reports close()'s result, which for a written file is where a late write
     * error (NFS, quota) shows up. Closing an empty owner does nothing.
     * @return 0, or -1 with errno set
     */
    int Close()
    {
        const int result = m_fd >= 0 ? ::close(m_fd) : 0;
        m_fd = -1;
        return result;
    }

private:
    int m_fd = -1;
};

} // namespace quillet::platform
