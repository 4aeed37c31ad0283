// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/BatchPlan.h"
#include "core/ConversionDriver.h"
#include "core/Task.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

/**
 * Measuring what the size model cannot know: the bytes of a quality-based output (-crf, -qscale,
 * -b 0), from a few seconds encoded at three places of the source with the task's own settings,
 * extrapolated to its whole length. It measures fixed-rate outputs as well: an encoder cannot
 * spend its rate on a still picture (a 10 s slide show at 1.7 Mbit/s comes out a sixth of that),
 * which only an encode shows. The runs go through the engine function the driver uses, into
 * a temporary folder that is removed afterwards (SampleFolder); a run can be cancelled between any
 * two engine reports. The engine does one conversion at a time: never call this during a run.
 */
namespace quillet::sizing {

struct SampleOptions
{
    int places = 3;
    double longest_s = 2.0; ///< the samples at most this long on average
    double shortest_s = 1.0; ///< and at least this long, whatever the share says
    /// The samples together take this share of the source, within the two lengths above: what
    /// keeps the estimate's cost small beside the conversion's (sources shorter than 75 s pay
    /// more, as the samples take at least places x shortest_s).
    double share = 0.04;
    /// Where the temporary folder goes; empty: the system's temporary folder.
    std::filesystem::path folder;
};

/// One stretch of the source to encode, in seconds from the start of what the task converts.
struct SampleWindow
{
    double start_s = 0;
    double length_s = 0;
};

struct SampleResult
{
    enum class Status {
        Measured,
        Cancelled, ///< the progress function asked to stop; nothing was measured
        Failed, ///< a sample run failed (error says why)
    };
    Status status = Status::Failed;
    double bytes = 0; ///< the whole output's estimated size
    double video_kbps = 0; ///< the video rate measured, for a quality-based video; else 0
    double sampled_s = 0; ///< seconds of the source encoded
    double wall_s = 0; ///< what the estimate took, in seconds
    std::string error;
};

class SampleEstimator
{
public:
    /// Called on every engine report with the share of the samples done (0 to 1); returning false
    /// cancels the estimate. The window pumps its events here.
    using ProgressFn = std::function<bool(double share)>;

    explicit SampleEstimator(ConversionDriver::EngineFn engine, SampleOptions options = {});

    /**
     * Encodes the samples of task with its own profile copy and extrapolates. The task is left
     * as it was (the argument builder is borrowed to write the runs, with another output and
     * other trim points). Every file made is removed before this returns.
     */
    SampleResult Estimate(Task &task, const ProgressFn &progress = {});

    /// Where the samples of a source of duration_s go: evenly spread, each in the middle of its
    /// part, the k-th of them k parts long; a source too short for separate samples is encoded
    /// whole, in one.
    static std::vector<SampleWindow> WindowsFor(double duration_s, const SampleOptions &options);

private:
    static int EngineReport(const char *message, double position);
    /// Encodes one window into folder; bytes receives the sample's size.
    SampleResult::Status RunWindow(Task &task, const std::filesystem::path &folder,
                                   const SampleWindow &window, std::size_t number, double &bytes,
                                   std::string &error);

    ConversionDriver::EngineFn m_engine;
    SampleOptions m_options;
    // The run in progress, for the engine's plain C report.
    const ProgressFn *m_progress = nullptr;
    double m_done_s = 0;
    double m_total_s = 0;
    bool m_cancelled = false;
    std::string m_message;
};

/// Puts what a sample measured into a plan: a quality-based video's rate becomes its natural
/// rate, and how it compares with its codec's typical rate its complexity.
void ApplySample(PlanTask &task, const SampleResult &result);

} // namespace quillet::sizing
