// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/JobWeight.h"

#include <sched.h>

#include <algorithm>
#include <thread>

namespace quillet {

namespace {

// Picture sizes, with room for cropped and anamorphic pictures just under each.
constexpr double kHdPixels = 1280.0 * 720.0 * 0.9;
constexpr double kFullHdPixels = 1920.0 * 1080.0 * 0.9;
constexpr double kUltraHdPixels = 3840.0 * 2160.0 * 0.9;

} // namespace

int AvailableCores()
{
    // The affinity mask, not every processor of the machine: a program started with taskset or
    // in a container limited to some processors must not plan for the others.
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof(set), &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

double CoresPerJob(double encode_pixels, double decode_pixels, int machine_cores)
{
    // An H.264 encoder at 720p and above keeps about two processors busy to good effect; past
    // that its look-ahead and each file's own serial work (opening, the first pictures, the
    // muxer's end) gain more from another job than from more threads. Below 720p, and for sound
    // alone, a job is one processor's worth: two such jobs on two processors took 0.69 (SD) and
    // 0.89 (720p sources to SD) of the time one at a time did, two 1080p jobs 1.25.
    double cores = 1;
    if (encode_pixels >= kUltraHdPixels)
        cores = 4;
    else if (encode_pixels >= kHdPixels || decode_pixels >= kUltraHdPixels)
        cores = 2;
    return std::clamp(cores, 1.0, std::max(1.0, static_cast<double>(machine_cores)));
}

} // namespace quillet
