// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/SampleFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace quillet::sizing {

namespace {

platform::UniqueFd OpenFolder(const std::filesystem::path &path)
{
    return platform::UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

} // namespace

SampleFolder::SampleFolder(const std::filesystem::path &parent)
{
    const std::string pattern = (parent / (std::string(kPrefix) + "XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data())) {
        m_error = "cannot create a folder in " + parent.string() + ": " + std::strerror(errno);
        return;
    }
    m_path = buffer.data();
    m_lock = OpenFolder(m_path);
    if (!m_lock || ::flock(m_lock.Get(), LOCK_EX | LOCK_NB) != 0) {
        m_error = "cannot hold the folder " + m_path.string() + ": " + std::strerror(errno);
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
        m_path.clear();
    }
}

SampleFolder::~SampleFolder()
{
    if (m_path.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void SampleFolder::SweepLeftovers(const std::filesystem::path &parent)
{
    std::error_code ec;
    std::filesystem::directory_iterator it(parent, ec);
    if (ec)
        return;
    const std::time_t now = std::time(nullptr);
    for (const auto &entry : it) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(kPrefix, 0) != 0)
            continue;
        struct stat st;
        // Only our own folders, never through a link, and not one an estimate is just making.
        if (::lstat(entry.path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode)
            || st.st_uid != ::getuid() || now - st.st_mtime < 60)
            continue;
        const platform::UniqueFd folder = OpenFolder(entry.path());
        if (!folder || ::flock(folder.Get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        std::error_code ignored;
        std::filesystem::remove_all(entry.path(), ignored);
    }
}

} // namespace quillet::sizing
