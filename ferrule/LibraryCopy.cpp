// SPDX-License-Identifier: GPL-3.0-or-later
#include "LibraryCopy.h"

#include "platform/OutputClaim.h"
#include "platform/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace quillet::ferrule {

namespace {

constexpr size_t kCopyBufferBytes = 1 << 20;
// Far more copies of one name than anyone keeps; the bound only stops an endless search in a
// folder that refuses every name.
constexpr int kMaxNumberedNames = 10000;

AddResult Failure(const std::string &what, int error)
{
    AddResult result;
    result.error = what + ": " + std::strerror(error);
    return result;
}

mode_t NewFileMode()
{
    // umask can only be read by setting it; the program has one thread, so nothing sees the gap.
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

/// The copy under its temporary name. It is removed when this goes away, unless it has been
/// moved to its final name.
class PendingFile
{
public:
    explicit PendingFile(const std::filesystem::path &folder)
    {
        std::string pattern = (folder / ".ferrule-XXXXXX.part").string();
        m_fd = platform::UniqueFd(mkostemps(pattern.data(), 5, O_CLOEXEC));
        if (m_fd)
            m_path = pattern;
    }
    ~PendingFile()
    {
        m_fd.Close();
        if (!m_path.empty())
            unlink(m_path.c_str());
    }
    PendingFile(const PendingFile &) = delete;
    PendingFile &operator=(const PendingFile &) = delete;

    explicit operator bool() const { return static_cast<bool>(m_fd); }
    int Fd() const { return m_fd.Get(); }
    int Close() { return m_fd.Close(); }

    /// Gives the file its final name unless that name is taken.
    /// @return 0, EEXIST when the name is taken, or another errno value
    int MoveTo(const std::filesystem::path &target)
    {
        const int result = platform::RenameWithoutReplacing(m_path, target.string());
        if (result == 0)
            m_path.clear();
        return result;
    }

private:
    platform::UniqueFd m_fd;
    std::string m_path;
};

/// Copies from's bytes to its end, counting them in copied.
/// @return 0, or the errno value of the failed read (negative) or write (positive)
int CopyBytes(int from, int to, off_t &copied)
{
    copied = 0;
    std::vector<char> buffer(kCopyBufferBytes);
    for (;;) {
        const ssize_t count = read(from, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return -errno;
        if (count == 0)
            return 0;
        for (ssize_t done = 0; done < count;) {
            const ssize_t written = write(to, buffer.data() + done, size_t(count - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
                return errno;
            done += written;
        }
        copied += count;
    }
}

/// Whether a file is as it was when its copy began: same size and modification time.
bool Unchanged(const struct stat &before, const struct stat &after)
{
    return before.st_size == after.st_size && before.st_mtim.tv_sec == after.st_mtim.tv_sec
        && before.st_mtim.tv_nsec == after.st_mtim.tv_nsec;
}

bool LiesInside(const std::filesystem::path &file, const std::filesystem::path &folder)
{
    std::error_code error;
    const std::filesystem::path real_file = std::filesystem::canonical(file, error);
    if (error)
        return false;
    const std::filesystem::path real_folder = std::filesystem::canonical(folder, error);
    if (error)
        return false;
    const auto [folder_end, file_part]
        = std::mismatch(real_folder.begin(), real_folder.end(), real_file.begin(), real_file.end());
    return folder_end == real_folder.end() && file_part != real_file.end();
}

void SyncFolder(const std::filesystem::path &folder)
{
    // Makes the new name itself durable; the data is already synced. A failure here cannot be
    // undone and the file is in place, so it is not reported.
    platform::UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd)
        fsync(fd.Get());
}

} // namespace

std::string NumberedName(const std::filesystem::path &file_name, int number)
{
    if (number == 0)
        return file_name.string();
    return file_name.stem().string() + " (" + std::to_string(number) + ")"
        + file_name.extension().string();
}

AddResult CopyIntoFolder(const std::filesystem::path &source, const std::filesystem::path &folder)
{
    platform::UniqueFd input(open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!input)
        return Failure("cannot read " + source.string(), errno);
    struct stat source_status;
    if (fstat(input.Get(), &source_status) != 0)
        return Failure("cannot read " + source.string(), errno);
    // A device or pipe would be copied until the disk is full.
    if (!S_ISREG(source_status.st_mode))
        return {false, {}, source.string() + " is not a regular file"};

    if (LiesInside(source, folder))
        return {true, source, {}};

    PendingFile pending(folder);
    if (!pending)
        return Failure("cannot create a file in " + folder.string(), errno);
    if (fchmod(pending.Fd(), NewFileMode()) != 0)
        return Failure("cannot create a file in " + folder.string(), errno);
    off_t copied = 0;
    if (const int error = CopyBytes(input.Get(), pending.Fd(), copied); error < 0)
        return Failure("cannot read " + source.string(), -error);
    else if (error > 0)
        return Failure("cannot write into " + folder.string(), error);
    // A copy is complete only when every byte was read to the end and the file still is what it
    // was at the start; a file that shrank, grew or was rewritten meanwhile would leave a copy
    // that is neither the old file nor the new one.
    struct stat after;
    if (fstat(input.Get(), &after) != 0)
        return Failure("cannot read " + source.string(), errno);
    if (copied != source_status.st_size || !Unchanged(source_status, after))
        return {false, {}, source.string() + " changed while it was copied"};
    if (fsync(pending.Fd()) != 0 || pending.Close() != 0)
        return Failure("cannot write into " + folder.string(), errno);

    const std::filesystem::path file_name = source.filename();
    for (int number = 0; number < kMaxNumberedNames; ++number) {
        const std::filesystem::path target = folder / NumberedName(file_name, number);
        const int error = pending.MoveTo(target);
        if (error == 0) {
            SyncFolder(folder);
            return {true, target, {}};
        }
        if (error != EEXIST)
            return Failure("cannot name " + target.string(), error);
    }
    return {false, {}, "no free name for " + file_name.string() + " in " + folder.string()};
}

} // namespace quillet::ferrule
