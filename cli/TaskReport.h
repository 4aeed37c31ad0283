// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/TaskResult.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillet::cli {

/// One JSON object on one line, for scripts: {"source":..., "output":..., "status":...,
/// "reason":..., "seconds":...}; output and reason are null when there is none. Text that is
/// not valid UTF-8 (a file name's stray bytes) keeps its valid parts; each bad byte becomes
/// U+FFFD, so the line stays valid JSON.
std::string TaskJson(const TaskResult &result);

/// A JSON string literal of text, quotes included.
std::string JsonString(std::string_view text);

/// The per-task lines of --summary ("made    2.1 s  clip.avi -> clip.mp4", "failed  ...: reason")
/// and a closing count.
std::string SummaryText(const std::vector<TaskResult> &results);

} // namespace quillet::cli
