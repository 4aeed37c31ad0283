// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/UniqueFd.h"

#include <functional>
#include <string>
#include <vector>

/**
 * Output names that no two writers share and that never hold a half-written file.
 *
 * A writer first claims a final name: the first name of its " (N)" sequence that names no file
 * and that no other writer holds. The claim is an exclusive flock on a hidden claim file beside
 * it (".NAME.quillet-claim"), so the kernel releases it when the writer ends in any way, a
 * SIGKILL or a crash included: a dead writer never blocks a name. The output is written under a
 * hidden temporary name in the same folder that keeps the extension (".STEM.quillet-PID-N.EXT";
 * a stem too long for the file system to take in these names is cut and ends in a hash),
 * and only a complete output is renamed to its final name, by a rename that never replaces a
 * file; the claim file goes as soon as the output has its name. A failed or cancelled output
 * removes its temporary file and nothing else.
 *
 * A writer that was killed leaves its claim file and its temporary file. Every claim into a
 * folder clears such leftovers of any name there: a claim file that nobody holds goes, with the
 * temporary files of its name (while a name is held, only its holder writes temporary files for
 * it). Leftovers are never taken for outputs: their names say what they are.
 */
namespace quillet::platform {

/**
 * Renames from to to unless to exists (a dangling link counts as existing): renameat2 with
 * RENAME_NOREPLACE, or a hard link and an unlink where the file system refuses that flag.
 * @return 0, EEXIST when the name is taken, or another errno value
 */
int RenameWithoutReplacing(const std::string &from, const std::string &to);

/// Whether name (a file name without folder) is one of the hidden temporary or claim files made
/// here.
bool IsOutputClaimLeftover(std::string_view name);

/// The n-th name of an output's sequence: n = 0 the wanted name, then its " (N)" forms.
using NumberedName = std::function<std::string(unsigned n)>;

/// The two steps of OutputClaim::Commit that reach the disk, each giving 0 or an errno value:
/// flushing the temporary file, and naming it without replacing a file.
struct CommitSteps
{
    int (*sync)(int fd);
    int (*rename)(const std::string &from, const std::string &to);
};

class OutputClaim
{
public:
    /// Holds nothing.
    OutputClaim() = default;

    /**
     * Claims the first free name of the sequence and creates the empty temporary file beside it
     * that the output is written to.
     * @param error receives why nothing could be claimed (the folder is not writable, ...)
     */
    static OutputClaim Claim(const NumberedName &numbered, std::string *error = nullptr);

    /// Abandon()s an output that was not committed, and releases the claims.
    ~OutputClaim();
    OutputClaim(OutputClaim &&other) noexcept;
    OutputClaim &operator=(OutputClaim &&other) noexcept;
    OutputClaim(const OutputClaim &) = delete;
    OutputClaim &operator=(const OutputClaim &) = delete;

    bool Claimed() const { return !m_final.empty(); }
    /// The claimed final name (after Commit, the name the output has).
    const std::string &FinalPath() const { return m_final; }
    /// Where the output is written until it is complete.
    const std::string &TemporaryPath() const { return m_temporary; }

    /**
     * Flushes the temporary file to disk and gives it the final name; when a file appeared under
     * that name meanwhile (a program that takes no claims), the next free name of the sequence
     * instead, which FinalPath() then gives. Never replaces a file.
     * @return false, with error set and the temporary file still there, when it failed
     */
    bool Commit(std::string *error = nullptr);

    /// Removes the temporary file; the final name is never touched. Releases nothing.
    void Abandon();

    /// Replaces the commit's disk steps, so that tests can fail them as a disk or a file system
    /// may (EIO from the flush, EROFS or EXDEV from the rename). Process-wide.
    static void SetCommitSteps(CommitSteps steps);
    static CommitSteps DefaultCommitSteps();

private:
    struct Lock
    {
        std::string claim_path;
        UniqueFd fd;
    };
    enum class LockResult { Locked, Busy, Failed };
    /// Takes the claim on final_path; Locked only while no file is there.
    static LockResult TryLock(const std::string &final_path, Lock &lock, int &error);
    /// Claims the first free name from m_number on.
    bool ClaimNext(std::string *error);
    void Release();

    NumberedName m_numbered;
    unsigned m_number = 0;
    std::vector<Lock> m_locks; ///< every claim held; the first one's name the temporary file has
    std::string m_final;
    std::string m_temporary;
    bool m_committed = false;
};

} // namespace quillet::platform
