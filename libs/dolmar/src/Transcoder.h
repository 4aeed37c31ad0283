// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionPlan.h"

namespace dolmar {

class ProgressReporter;

/// How a conversion that did not fail ended.
enum class RunOutcome {
    Finished, ///< every input converted, or the -fs size reached
    Stopped, ///< the caller's callback asked to stop; the output was closed properly
};

/// Runs one ConversionPlan: the loop that pulls packets from each input in turn, decodes them,
/// sends the frames through the segment's filters and on to the output's encoders and muxer.
/// Failures are thrown as EngineError.
class Transcoder
{
public:
    Transcoder(const ConversionPlan &plan, ProgressReporter &progress);
    RunOutcome Run();

private:
    const ConversionPlan &m_plan;
    ProgressReporter &m_progress;
};

} // namespace dolmar
