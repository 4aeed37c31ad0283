// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ExtractionPlan.h"
#include "mkvextract.h"

#include <string>
#include <vector>

namespace mkvextract {

/// Extracts tracks of one Matroska file with a single run of `mkvextract --gui-mode`, passing
/// its progress lines on as they arrive, and then makes sure every requested file is there.
///
/// Progress reaches the callback as strictly increasing percents: 0 when the run starts, the
/// tool's own values below 100 while it works (it repeats "100%" once per track at the end),
/// and 100 exactly once, after every output has been checked.
class TrackExtractor
{
public:
    TrackExtractor(std::string source, EmProgressFunc callback);

    /// Throws MkvError: Unreadable for a source that cannot be identified, ExtractionFailed for
    /// a refused request, a failed run or a missing output. Outputs already written stay.
    void Extract(const std::vector<ExtractionPlan::Item> &items);

private:
    static void ClearOutputs(const ExtractionPlan &plan);
    void RunTool(const ExtractionPlan &plan);
    void FinishOutputs(const ExtractionPlan &plan) const;
    void Report(int percent);

    std::string m_source;
    EmProgressFunc m_callback;
    std::string m_message;
    int m_last_percent = -1;
};

} // namespace mkvextract
