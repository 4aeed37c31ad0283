// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace mkvextract {

/**
 * A hidden working folder inside an output folder (".mkvextract.part-XXXXXX"), where outputs
 * are written under working names until they are complete; they then move to their final
 * names in the same file system. Its name can never be taken for an output, and an extraction
 * killed half-way leaves nothing under a final name, only this folder. It is removed with what
 * it still holds when the object goes away.
 */
class StagingFolder
{
public:
    /// Creates the working folder in folder; throws MkvError(ExtractionFailed) naming the
    /// folder when it cannot.
    explicit StagingFolder(const std::filesystem::path &folder);
    ~StagingFolder();
    StagingFolder(const StagingFolder &) = delete;
    StagingFolder &operator=(const StagingFolder &) = delete;

    const std::filesystem::path &Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace mkvextract
