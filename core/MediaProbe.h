// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Prompter.h"
#include "core/Task.h"
#include "texts/Texts.h"

#include <memory>
#include <string>
#include <string_view>

/**
 * Probing a source file through the engine: a new task gets the file's duration, start time, bit
 * rate, picture facts, stream list, audio tracks and the information text the task list shows.
 * A file that cannot be probed still becomes a task, with no streams.
 */
namespace quillet {

/// The text the task holds for a file the engine could not open.
inline constexpr std::string_view kCannotOpenFile = "Cannot open the file";

/// Probe results.
enum ProbeResult {
    kProbeOk = 0,
    kProbeReadError = -1,
    kProbeEngineError = -2,
    kProbeNoStreams = -3
};

/// 1 when the path's extension (after its last '.') is one of wmv, asf, wma, ra, rm, rmvb, ram,
/// ignoring case; else 0 (also without any '.').
int RouteFlag(std::string_view path);

/**
 * A new task for source_path, probed. Trim values above 0 (seconds) become trim points; 0 or
 * below leaves them unset.
 */
std::unique_ptr<Task> CreateTask(const std::string &source_path, int route_flag,
                                 double trim_start_s, double trim_end_s, const Texts &texts,
                                 Prompter &prompter);

/// Probes task's source again, replacing what an earlier probe found. Returns a ProbeResult.
int Probe(Task &task, const Texts &texts, Prompter &prompter);

} // namespace quillet
