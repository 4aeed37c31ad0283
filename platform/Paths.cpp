// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

namespace quillet::platform {

std::string_view FileNameOf(std::string_view path)
{
    auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view FolderOf(std::string_view path)
{
    auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

std::string_view ExtensionOf(std::string_view path)
{
    auto dot = path.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
}

std::string_view WithoutExtension(std::string_view path)
{
    auto dot = path.rfind('.');
    return dot == std::string_view::npos ? path : path.substr(0, dot);
}

std::string_view StemOf(std::string_view path)
{
    return WithoutExtension(FileNameOf(path));
}

std::string ProgramFolder()
{
    std::vector<char> buffer(PATH_MAX + 1);
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return ".";
        if (static_cast<std::size_t>(n) < buffer.size()) {
            std::string exe(buffer.data(), static_cast<std::size_t>(n));
            std::string folder(FolderOf(exe));
            return folder.empty() ? "/" : folder;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string ProgramFolderWithSlash()
{
    std::string folder = ProgramFolder();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

bool CreateFolderLevels(std::string_view path)
{
    auto last = path.rfind('/');
    if (last == std::string_view::npos || last == 0)
        return true;
    std::string target(path.substr(0, last));
    for (std::size_t pos = 1; pos <= target.size(); ++pos) {
        if (pos != target.size() && target[pos] != '/')
            continue;
        std::string level = target.substr(0, pos);
        if (::mkdir(level.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st;
    return ::stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathExists(const std::string &path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace quillet::platform
