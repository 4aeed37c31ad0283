// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ExtractionPlan.h"
#include "StagingFolder.h"
#include "mkvextract.h"

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace mkvextract {

/// Extracts tracks of one Matroska file with a single run of `mkvextract --gui-mode`, passing
/// its progress lines on as they arrive.
///
/// The tool writes into a hidden working folder inside each output folder. Only when it has
/// succeeded, every output is there and the source is known to be whole do the outputs move to
/// their final names, and never over an existing file: a taken name gives way to the first free
/// "<stem> (N)<ending>", for a VobSub pair the first N free for both its files. A failed or
/// killed extraction leaves nothing under a final name.
///
/// Progress reaches the callback as strictly increasing percents: 0 when the run starts, the
/// tool's own values below 100 while it works (it repeats "100%" once per track at the end),
/// and 100 exactly once, after every output has been placed.
class TrackExtractor
{
public:
    TrackExtractor(std::string source, EmProgressFunc callback);

    /// Throws MkvError: Unreadable for a source that cannot be identified, ExtractionFailed for
    /// a refused request, a failed run, a missing output or a source cut short. No final name
    /// longer than max_path_bytes - 1 bytes is given (the caller's field holds a NUL besides).
    void Extract(const std::vector<ExtractionPlan::Item> &items,
                 std::size_t max_path_bytes = std::string::npos);

    /// The name each item of the last Extract went to; empty for an item not placed (after a
    /// failure, outputs placed before it stay and are listed here).
    const std::vector<std::string> &PlacedNames() const { return m_item_names; }

private:
    /// An output's files in the working folder.
    struct Staged
    {
        std::filesystem::path main;
        std::filesystem::path vobsub_images;
    };

    void Stage(const ExtractionPlan &plan);
    void RunTool(const ExtractionPlan &plan);
    void CheckStaged(const ExtractionPlan &plan) const;
    void Place(const ExtractionPlan &plan, std::size_t max_path_bytes);
    std::filesystem::path PlaceOne(const PlannedOutput &output, const Staged &staged,
                                   std::size_t max_path_bytes) const;
    void Report(int percent);

    std::string m_source;
    EmProgressFunc m_callback;
    std::string m_message;
    int m_last_percent = -1;
    std::map<std::filesystem::path, std::unique_ptr<StagingFolder>> m_staging;
    std::vector<Staged> m_staged;
    std::vector<std::string> m_item_names;
};

} // namespace mkvextract
