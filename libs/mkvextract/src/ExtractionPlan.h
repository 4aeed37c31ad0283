// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TrackIdentifier.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mkvextract {

/// One output of a request, checked and turned into what mkvextract is told.
struct PlannedOutput
{
    std::int32_t track = 0;
    std::filesystem::path requested; ///< the path the caller expects to exist afterwards
    bool vobsub = false;
    /// The name mkvextract gets. For VobSub it always ends in ".idx": mkvextract replaces any
    /// other ending and writes "<stem>.idx" and "<stem>.sub" beside each other, so a request
    /// for "x.IDX" or "x" would otherwise leave the requested name missing.
    std::filesystem::path tool_path;
    std::filesystem::path vobsub_images; ///< "<stem>.sub" beside tool_path, VobSub only
    /// Index of the output with the same track that mkvextract writes, or -1 for one it writes
    /// itself: mkvextract refuses a track id given twice, so repeats are copied afterwards.
    int copy_of = -1;
};

/// Checks an extraction request against the file's tracks before anything is written:
/// every track must exist; every output folder must exist (mkvextract would quietly create a
/// mistyped folder tree); an output may not be the source itself (mkvextract would truncate the
/// file it reads) nor a file another track writes; names must be UTF-8, the only encoding
/// mkvextract passes through unchanged. Throws MkvError(ExtractionFailed) naming the first fault.
class ExtractionPlan
{
public:
    struct Item
    {
        std::int32_t track = 0;
        std::string path;
    };

    ExtractionPlan(const std::string &source, const std::vector<TrackRecord> &tracks,
                   const std::vector<Item> &items);

    const std::vector<PlannedOutput> &Outputs() const { return m_outputs; }

private:
    void CheckFolder(const PlannedOutput &output) const;
    void CheckCollisions() const;

    std::string m_source;
    std::vector<PlannedOutput> m_outputs;
};

} // namespace mkvextract
