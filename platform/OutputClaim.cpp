// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/OutputClaim.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string_view>
#include <utility>

namespace quillet::platform {

namespace {

constexpr std::string_view kMarker = ".quillet-";
constexpr std::string_view kClaimSuffix = ".quillet-claim";
// Far more numbered names than a folder holds; the bound only ends a search in a folder that
// refuses every name.
constexpr unsigned kMaxNumber = 100000;
// A claim file unlinked under a writer's hands is opened again; more than this many in a row
// means something else removes it all the time.
constexpr int kMaxLockAttempts = 100;

// The longest file name most file systems take (NAME_MAX), and what the hidden names add to a
// tag: the leading dot, the marker, a process id and a number (or the claim suffix).
constexpr std::size_t kMaxNameBytes = 255;
constexpr std::size_t kHiddenNameExtra = 35;

struct PathParts
{
    std::string folder; ///< with its trailing '/', or empty
    std::string name; ///< the file name
    std::string stem; ///< the name up to its last '.' (the whole name when it has none)
    std::string extension; ///< from the last '.' on, or empty
    /// What the hidden names of this output start with: the stem, or, when the hidden names
    /// would be too long for the file system, its start and a hash of the whole name.
    std::string tag;
};

/// FNV-1a: the same text gives the same hash in every process.
uint64_t HashOf(std::string_view text)
{
    uint64_t hash = 14695981039346656037ull;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string TagOf(const std::string &stem, const std::string &name, std::size_t extension_bytes)
{
    constexpr std::size_t kHashText = 17; // "~" and 16 hex digits
    const std::size_t room
        = kMaxNameBytes - std::min(kMaxNameBytes, kHiddenNameExtra + extension_bytes);
    if (stem.size() <= room)
        return stem;
    std::size_t keep = room > kHashText ? room - kHashText : 0;
    // Never half a UTF-8 character.
    while (keep > 0 && (static_cast<unsigned char>(stem[keep]) & 0xC0) == 0x80)
        --keep;
    char hash[kHashText + 1];
    std::snprintf(hash, sizeof hash, "~%016llx", static_cast<unsigned long long>(HashOf(name)));
    return stem.substr(0, keep) + hash;
}

PathParts Split(const std::string &path)
{
    PathParts parts;
    const auto slash = path.rfind('/');
    parts.folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    parts.name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = parts.name.rfind('.');
    // A leading dot starts a hidden name, not an extension.
    if (dot == std::string::npos || dot == 0) {
        parts.stem = parts.name;
    } else {
        parts.stem = parts.name.substr(0, dot);
        parts.extension = parts.name.substr(dot);
    }
    parts.tag = TagOf(parts.stem, parts.name, parts.extension.size());
    return parts;
}

std::string ClaimPathFor(const std::string &final_path)
{
    const PathParts parts = Split(final_path);
    return parts.folder + "." + parts.tag + parts.extension + std::string(kClaimSuffix);
}

bool AllDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

/// The claim file that guards a temporary file ".TAG.quillet-P-N.EXT": ".TAG.EXT.quillet-claim";
/// empty when name is no temporary file.
std::string ClaimNameOfTemporary(std::string_view name)
{
    const auto marker = name.rfind(kMarker);
    if (!name.starts_with('.') || name.ends_with(kClaimSuffix) || marker == std::string_view::npos
        || marker == 0)
        return {};
    const std::string_view tag = name.substr(1, marker - 1);
    std::string_view rest = name.substr(marker + kMarker.size());
    const auto dot = rest.find('.');
    const std::string_view extension = dot == std::string_view::npos ? "" : rest.substr(dot);
    rest = rest.substr(0, dot);
    const auto dash = rest.find('-');
    if (dash == std::string_view::npos || !AllDigits(rest.substr(0, dash))
        || !AllDigits(rest.substr(dash + 1)))
        return {};
    return "." + std::string(tag) + std::string(extension) + std::string(kClaimSuffix);
}

/**
 * Removes what writers that ended without tidying up (SIGKILL, a crash, a power cut) left in
 * folder: each claim file nobody holds, with the temporary files it guarded. A name is cleared
 * only while its claim is held here, taken as a writer takes it, so a writer at work is never
 * touched and one that starts meanwhile sees the claim file go and takes a new one.
 * @param held_claim the claim file (a name in folder) this writer holds and has no temporary
 *        file for yet: its temporary files are a dead writer's too
 */
void RemoveLeftovers(const std::string &folder, const std::string &held_claim)
{
    DIR *listing = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!listing)
        return;
    // Claim file -> the temporary files it guards.
    std::map<std::string, std::vector<std::string>> leftovers;
    while (const dirent *entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with('.') || name.find(kMarker) == std::string_view::npos)
            continue;
        if (name.ends_with(kClaimSuffix))
            leftovers[std::string(name)];
        else if (std::string claim = ClaimNameOfTemporary(name); !claim.empty())
            leftovers[claim].emplace_back(name);
    }
    ::closedir(listing);
    for (const auto &[claim, temporaries] : leftovers) {
        if (claim == held_claim) {
            for (const std::string &temporary : temporaries)
                ::unlink((folder + temporary).c_str());
            continue;
        }
        const std::string claim_path = folder + claim;
        const UniqueFd fd(
            ::open(claim_path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
        if (!fd || ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
            continue; // held: its writer is at work
        struct stat held;
        struct stat named;
        if (::fstat(fd.Get(), &held) != 0 || ::lstat(claim_path.c_str(), &named) != 0
            || held.st_dev != named.st_dev || held.st_ino != named.st_ino)
            continue; // taken over meanwhile
        for (const std::string &temporary : temporaries)
            ::unlink((folder + temporary).c_str());
        ::unlink(claim_path.c_str());
    }
}

void SyncFolderOf(const std::string &path)
{
    const PathParts parts = Split(path);
    const UniqueFd folder(::open(parts.folder.empty() ? "." : parts.folder.c_str(),
                                 O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder)
        ::fsync(folder.Get());
}

int SyncFile(int fd)
{
    return ::fsync(fd) == 0 ? 0 : errno;
}

// Set before any writer starts (tests only), so it needs no lock.
CommitSteps g_commit_steps{SyncFile, RenameWithoutReplacing};

void SetError(std::string *error, const std::string &what, int code)
{
    if (error)
        *error = what + ": " + std::strerror(code);
}

} // namespace

int RenameWithoutReplacing(const std::string &from, const std::string &to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    // Some file systems (older NFS, FUSE) cannot rename without replacing; a hard link refuses
    // an existing name just the same.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP)
        return errno;
    // No hard links either (FAT): look, then rename. Writers of this program hold the name's
    // claim, so only another program could slip in between.
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0)
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

bool IsOutputClaimLeftover(std::string_view name)
{
    if (!name.starts_with('.'))
        return false;
    if (name.ends_with(kClaimSuffix))
        return true;
    const auto marker = name.rfind(kMarker);
    if (marker == std::string_view::npos)
        return false;
    std::string_view rest = name.substr(marker + kMarker.size());
    rest = rest.substr(0, rest.find('.'));
    const auto dash = rest.find('-');
    return dash != std::string_view::npos && AllDigits(rest.substr(0, dash))
        && AllDigits(rest.substr(dash + 1));
}

OutputClaim::LockResult OutputClaim::TryLock(const std::string &final_path, Lock &lock, int &error)
{
    const std::string claim_path = ClaimPathFor(final_path);
    for (int attempt = 0; attempt < kMaxLockAttempts; ++attempt) {
        UniqueFd fd(::open(claim_path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
        if (!fd) {
            error = errno;
            return LockResult::Failed;
        }
        int result;
        while ((result = ::flock(fd.Get(), LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) { }
        if (result != 0) {
            if (errno == EWOULDBLOCK)
                return LockResult::Busy;
            error = errno;
            return LockResult::Failed;
        }
        // The holder before us may have removed the claim file between our open and our lock:
        // a lock on a file no longer under that name claims nothing, so open it again.
        struct stat held;
        struct stat named;
        if (::fstat(fd.Get(), &held) != 0 || ::lstat(claim_path.c_str(), &named) != 0
            || held.st_dev != named.st_dev || held.st_ino != named.st_ino)
            continue;
        struct stat existing;
        if (::lstat(final_path.c_str(), &existing) == 0) {
            // Taken for good: the claim file is litter now (ours to remove, as we hold it).
            ::unlink(claim_path.c_str());
            return LockResult::Busy;
        }
        if (errno != ENOENT) {
            // A name the file system cannot take (too long, a folder that is a file).
            error = errno;
            ::unlink(claim_path.c_str());
            return LockResult::Failed;
        }
        lock.claim_path = claim_path;
        lock.fd = std::move(fd);
        return LockResult::Locked;
    }
    error = EAGAIN;
    return LockResult::Failed;
}

bool OutputClaim::ClaimNext(std::string *error)
{
    for (; m_number <= kMaxNumber; ++m_number) {
        const std::string candidate = m_numbered(m_number);
        Lock lock;
        int code = 0;
        switch (TryLock(candidate, lock, code)) {
        case LockResult::Locked:
            m_locks.push_back(std::move(lock));
            m_final = candidate;
            return true;
        case LockResult::Busy:
            continue;
        case LockResult::Failed:
            SetError(error, "cannot claim the name " + candidate, code);
            return false;
        }
    }
    if (error)
        *error = "no free name for " + m_numbered(0);
    return false;
}

OutputClaim OutputClaim::Claim(const NumberedName &numbered, std::string *error)
{
    OutputClaim claim;
    claim.m_numbered = numbered;
    if (!claim.ClaimNext(error))
        return {};
    RemoveLeftovers(Split(claim.m_final).folder, Split(ClaimPathFor(claim.m_final)).name);

    const PathParts parts = Split(claim.m_final);
    const std::string base
        = parts.folder + "." + parts.tag + std::string(kMarker) + std::to_string(::getpid()) + "-";
    for (unsigned n = 0; n <= kMaxNumber; ++n) {
        const std::string temporary = base + std::to_string(n) + parts.extension;
        const UniqueFd fd(
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
        if (fd) {
            claim.m_temporary = temporary;
            return claim;
        }
        if (errno != EEXIST) {
            SetError(error, "cannot create a file in " + parts.folder, errno);
            return {};
        }
    }
    if (error)
        *error = "no free temporary name in " + parts.folder;
    return {};
}

OutputClaim::OutputClaim(OutputClaim &&other) noexcept
    : m_numbered(std::move(other.m_numbered))
    , m_number(other.m_number)
    , m_locks(std::move(other.m_locks))
    , m_final(std::exchange(other.m_final, std::string()))
    , m_temporary(std::exchange(other.m_temporary, std::string()))
    , m_committed(other.m_committed)
{
    other.m_locks.clear();
}

OutputClaim &OutputClaim::operator=(OutputClaim &&other) noexcept
{
    if (this != &other) {
        if (!m_committed)
            Abandon();
        Release();
        m_numbered = std::move(other.m_numbered);
        m_number = other.m_number;
        m_locks = std::move(other.m_locks);
        other.m_locks.clear();
        m_final = std::exchange(other.m_final, std::string());
        m_temporary = std::exchange(other.m_temporary, std::string());
        m_committed = other.m_committed;
    }
    return *this;
}

OutputClaim::~OutputClaim()
{
    if (!m_committed)
        Abandon();
    Release();
}

bool OutputClaim::Commit(std::string *error)
{
    if (!Claimed() || m_temporary.empty()) {
        if (error)
            *error = "no output to name";
        return false;
    }
    const CommitSteps steps = g_commit_steps;
    // The data reaches the disk before the name does, so even a power cut never leaves an empty
    // or partial file under the final name.
    {
        const UniqueFd fd(::open(m_temporary.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        const int code = fd ? steps.sync(fd.Get()) : errno;
        if (code != 0) {
            SetError(error, "cannot write " + m_temporary, code);
            return false;
        }
    }
    for (;;) {
        const int result = steps.rename(m_temporary, m_final);
        if (result == 0)
            break;
        if (result != EEXIST) {
            SetError(error, "cannot name " + m_final, result);
            return false;
        }
        // Something that takes no claims wrote the name meanwhile: the next free one.
        ++m_number;
        if (!ClaimNext(error))
            return false;
    }
    m_temporary.clear();
    m_committed = true;
    SyncFolderOf(m_final);
    // The name is taken for good now, which keeps every other writer off it: the claim files go
    // at once rather than when the claim does, so nothing hidden stays while the output is
    // post-processed (for minutes, or until a kill).
    Release();
    return true;
}

void OutputClaim::SetCommitSteps(CommitSteps steps)
{
    g_commit_steps = steps;
}

CommitSteps OutputClaim::DefaultCommitSteps()
{
    return {SyncFile, RenameWithoutReplacing};
}

void OutputClaim::Abandon()
{
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

void OutputClaim::Release()
{
    // The claim file goes while it is still locked; a writer that opened it meanwhile sees that
    // its lock holds a removed file and opens the name again.
    for (auto &lock : m_locks) {
        ::unlink(lock.claim_path.c_str());
        lock.fd.Close();
    }
    m_locks.clear();
}

} // namespace quillet::platform
