// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Task.h"

#include <memory>
#include <string>

namespace quillet::test {

/// A task as the probe would leave it, built by hand: video at stream 0 and the given number of
/// audio streams after it, the first audio track selected. The stream array is allocated the way
/// the engine allocates it, so the task releases it as usual.
std::unique_ptr<Task> MakeProbedTask(const std::string &source, const std::string &output,
                                     int audio_streams = 1, bool video = true);

} // namespace quillet::test
