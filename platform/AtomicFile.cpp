// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include "platform/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace quillet::platform {

namespace {

void SetError(std::string *error, const std::string &what, int code)
{
    if (error)
        *error = what + ": " + std::strerror(code);
}

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string SizeText(std::size_t bytes)
{
    constexpr std::size_t kMiB = std::size_t{1024} * 1024;
    return bytes % kMiB == 0 ? std::to_string(bytes / kMiB) + " MiB"
                             : std::to_string(bytes) + " bytes";
}

} // namespace

bool ReplaceFileAtomically(const std::filesystem::path &path, std::string_view contents,
                           std::string *error)
{
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');

    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        SetError(error, "cannot create a temporary file beside " + path.string(), errno);
        return false;
    }

    // The new file takes the old one's permissions; a new file gets the usual 0666 & ~umask.
    struct stat old_stat;
    mode_t mode;
    if (::stat(path.c_str(), &old_stat) == 0) {
        mode = old_stat.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    bool ok = WriteAll(fd, contents);
    int saved = errno;
    if (ok && ::fchmod(fd, mode) != 0) {
        ok = false;
        saved = errno;
    }
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        saved = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (ok && ::rename(temp.data(), path.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        ::unlink(temp.data());
        SetError(error, "cannot write " + path.string(), saved);
        return false;
    }

    // Make the rename itself durable.
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

ReadStatus ReadTextFile(const std::filesystem::path &path, std::string &contents,
                        std::string *error, std::size_t limit_bytes)
{
    contents.clear();
    const auto fail = [&](ReadStatus status, const std::string &why) {
        if (error)
            *error = path.string() + ": " + why;
        contents.clear();
        return status;
    };
    // O_NONBLOCK: opening a FIFO would otherwise wait for a writer; O_NOCTTY: a terminal device
    // never becomes this process's terminal. Nothing is read before the kind is known.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd) {
        const int code = errno;
        if (code == ENOENT || code == ENOTDIR)
            return fail(ReadStatus::Missing, std::strerror(code));
        return fail(ReadStatus::Unreadable, std::strerror(code));
    }
    struct stat st;
    if (::fstat(fd.Get(), &st) != 0)
        return fail(ReadStatus::Unreadable, std::strerror(errno));
    if (!S_ISREG(st.st_mode))
        return fail(ReadStatus::NotRegular, "not a regular file");
    const std::string too_large = "larger than " + SizeText(limit_bytes);
    if (static_cast<std::size_t>(st.st_size) > limit_bytes)
        return fail(ReadStatus::TooLarge, too_large);
    contents.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(ReadStatus::Unreadable, std::strerror(errno));
        if (n == 0)
            break;
        // The file may grow while it is read.
        if (contents.size() + static_cast<std::size_t>(n) > limit_bytes)
            return fail(ReadStatus::TooLarge, too_large);
        contents.append(buffer, static_cast<std::size_t>(n));
    }
    return ReadStatus::Ok;
}

bool ReadWholeFile(const std::filesystem::path &path, std::string &contents)
{
    return ReadTextFile(path, contents) == ReadStatus::Ok;
}

} // namespace quillet::platform
