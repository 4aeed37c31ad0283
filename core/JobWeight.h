// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/**
 * How many conversions a machine takes at once: each job is weighed in the processors it keeps
 * busy, and the job pool (JobPool.h) starts the next job while the weights of those running
 * leave room for it. docs/decisions.md ("Parallel jobs") gives the figures behind the weights.
 */
namespace quillet {

/// The processors this program may run on (its CPU affinity), at least 1.
int AvailableCores();

/**
 * The processors one conversion keeps busy.
 * @param encode_pixels the output picture (width x height) the video encoder makes, 0 when the
 *        output has no video or copies it
 * @param decode_pixels the source picture the decoder reads, 0 when there is none
 * @param machine_cores AvailableCores()
 * @return between 1 and machine_cores
 */
double CoresPerJob(double encode_pixels, double decode_pixels, int machine_cores);

} // namespace quillet
