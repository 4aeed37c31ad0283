// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers of the engine's unit tests, which link dolmar_engine and reach its parts directly:
// no media file is read, sources are described by SourceFacts.

#include "ConversionPlan.h"
#include "OutputTargets.h"
#include "SourceFacts.h"

#include <functional>
#include <string>
#include <vector>

namespace dolmar_unit {

/// A source as a camera or an editor writes it: stream 0 video (width x height, yuv420p, 25 fps,
/// square pixels), stream 1 stereo AAC-style audio (48 kHz, float planar), stream 2 mono audio
/// (44.1 kHz, 16-bit), stream 3 a subtitle track.
dolmar::SourceFacts CameraSource(int width = 160, int height = 120);

/// ffmain's vector without its "ffmain": parsed, or EngineError thrown.
dolmar::ConversionPlan Parse(const std::vector<std::string> &args);

/// Everything a conversion does before its first packet: parse, decide the output from the
/// source, read the subtitle file, open every encoder, create the output and write its header
/// (then remove it again). Throws EngineError where ffmain would refuse or fail.
void DryRun(const std::vector<std::string> &args,
            const dolmar::SourceFacts &source = CameraSource());

/// The message of the EngineError that work throws; "" when it throws none.
std::string RefusalOf(const std::function<void()> &work);

} // namespace dolmar_unit
