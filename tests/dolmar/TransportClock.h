// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Transport streams whose clock jumps, made from ordinary ones: for the engine's tests and its
// benchmark.

#include <cstddef>
#include <cstdint>
#include <string>

namespace dolmar_test {

/// A transport stream with its clock moved: delta_ticks (90 kHz, either sign) is added to the
/// PTS and DTS of every PES packet that starts at or after byte from, and to the PCRs there.
/// pid >= 0 moves only that PID's packets (and no PCR); count > 0 only that many PES packets.
std::string ShiftTransportClock(std::string ts, std::size_t from, int64_t delta_ticks, int pid = -1,
                                int count = 0);

/// The PID the ffmpeg program gives a transport stream's first audio stream.
constexpr int kTsAudioPid = 0x101;

} // namespace dolmar_test
