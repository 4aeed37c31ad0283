// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/UniqueFd.h"

#include <filesystem>
#include <string>

namespace quillet::sizing {

/**
 * The temporary folder of one sample estimate, removed with everything in it when it goes away.
 * While it exists its owner holds an exclusive flock on it, which the kernel drops when the owner
 * ends in any way: a folder of this kind that nobody holds was left by a process that was killed,
 * and the next estimate removes it (SweepLeftovers). So sample files never outlive a run, not
 * even a SIGKILL's, beyond the next estimate.
 */
class SampleFolder
{
public:
    /// A new folder under parent; Ok() says whether it could be made.
    explicit SampleFolder(const std::filesystem::path &parent);
    ~SampleFolder();
    SampleFolder(const SampleFolder &) = delete;
    SampleFolder &operator=(const SampleFolder &) = delete;

    bool Ok() const { return !m_path.empty(); }
    const std::filesystem::path &Path() const { return m_path; }
    /// Why the folder could not be made.
    const std::string &Error() const { return m_error; }

    /// Removes the folders of this kind under parent that nobody holds and that are older than a
    /// minute (younger ones may belong to an estimate that is just starting).
    static void SweepLeftovers(const std::filesystem::path &parent);

    /// The prefix of these folders' names.
    static constexpr const char *kPrefix = "quillet-sample-";

private:
    std::filesystem::path m_path;
    platform::UniqueFd m_lock;
    std::string m_error;
};

} // namespace quillet::sizing
