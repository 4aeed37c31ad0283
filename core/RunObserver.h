// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Prompter.h"

#include <optional>
#include <string>
#include <vector>

namespace quillet {

/// Where a run stands, for the progress line and "Time Left".
struct RunProgress
{
    int percent = 0; ///< of the whole batch, 0 to 100; it never goes back
    /// Seconds until the whole batch is done (TimeLeftEstimator); nothing until a speed has
    /// been measured.
    std::optional<double> seconds_left;
    std::vector<std::string> outputs; ///< the outputs being written now, in the list's order
};

/**
 * What a conversion run needs of its front end: the main window (summary line, control states,
 * message pump, file manager) or the command-line program (progress line, signals, output list).
 * Every call comes from the thread that runs the batch, inside the engine's progress reports.
 */
class RunObserver : public Prompter
{
public:
    /// Switches the front end into or out of the converting state.
    virtual void SetConverting(bool converting) = 0;
    /// The output the engine is writing now.
    virtual void SetCurrentOutput(const std::string &path) = 0;
    /// Shows the run's progress in percent: the whole batch's, 0 at its start (RunProgress).
    virtual void ShowProgress(int percent) = 0;
    /// Where the run stands, right after each ShowProgress during a run (at most every 500 ms,
    /// and as each output is finished). A front end that shows only the percentage ignores it.
    virtual void ShowRunProgress(const RunProgress &progress) { (void)progress; }
    /// Lets the front end handle its pending events; it may ask the driver to cancel.
    virtual void PumpEvents() = 0;
    /// One engine command line, for the diagnostic log.
    virtual void LogCommandLine(const std::string &line) = 0;
    /// An output was finished (and post-processed).
    virtual void OutputFinished(const std::string &path) = 0;
    /// Shows the last finished output in the file manager.
    virtual void ShowOutput(const std::string &path) = 0;
};

} // namespace quillet
