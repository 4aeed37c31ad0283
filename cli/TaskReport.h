// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/TaskResult.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillet::cli {

/**
 * One JSON object on one line, for scripts: {"source":..., "output":..., "status":...,
 * "reason":..., "seconds":...}; output and reason are null when there is none. A cut output
 * (status "cut") adds "kept_seconds" and "source_seconds"; an output a disc plan or a size target
 * gave a size adds "planned_bytes" and "output_bytes" (null when no file was written). A path names
 * its file exactly (JsonPath); one that is not valid UTF-8 is followed by its bytes in hexadecimal,
 * "source_bytes" or "output_bytes", for readers that cannot take the escaped form.
 */
std::string TaskJson(const TaskResult &result);

/// A JSON string literal of text, quotes included. Text that is not valid UTF-8 keeps its valid
/// parts; each bad byte becomes U+FFFD (for messages, which are read, not opened).
std::string JsonString(std::string_view text);

/// A JSON string literal of a path that names the file exactly: valid UTF-8 as it is, each byte
/// that is not part of valid UTF-8 as the lone surrogate U+DC00 + byte ("\udce9" for 0xE9), the
/// form in which Python's file names carry such bytes (os.fsencode gives them back).
std::string JsonPath(std::string_view path);

/// The per-task lines of --summary ("made    2.1 s  clip.avi -> clip.mp4", "failed  ...: reason")
/// and a closing count.
std::string SummaryText(const std::vector<TaskResult> &results);

} // namespace quillet::cli
