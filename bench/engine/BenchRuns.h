// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How bench_engine measures a run and checks what it made.

#include <string>
#include <vector>

namespace bench {

struct Measurement
{
    double wall_s = 0;
    double cpu_s = 0; ///< user + system: what the work cost, whatever else the machine runs
    long peak_kib = 0;
    bool ok = false; ///< exit status 0
    std::string output; ///< what the child wrote on standard output
};

/// Starts argv as a child process and measures it until it ends (wall time on a steady clock,
/// CPU time and peak resident memory from wait4).
Measurement Measure(const std::vector<std::string> &argv);

/// Starts every argv at once and measures them together: wall time until the last ends, CPU
/// time and peak memory summed (shared library pages count once per process, as each maps them).
Measurement MeasureTogether(const std::vector<std::vector<std::string>> &argvs);

/// As Measure, but a child still running after limit_s is killed (ok false, wall_s the limit).
Measurement MeasureWithin(const std::vector<std::string> &argv, double limit_s);

/// What ffprobe says of a made file.
struct Made
{
    double duration_s = -1; ///< the container's; -1 when there is no readable file
    int video_streams = 0;
    int audio_streams = 0;
    std::string video_codec;
    std::string audio_codec;
    int width = 0;
    int height = 0;
};
Made Probe(const std::string &path);

/// What a run must have made for its figures to count.
struct Expected
{
    double duration_s = 0;
    double tolerance_s = 0.1;
    std::string video_codec; ///< empty: no video stream
    std::string audio_codec; ///< empty: no audio stream
    int width = 0; ///< 0: any
    int height = 0;
};

/// "" when made is what expected says, else what is wrong.
std::string Mismatch(const Made &made, const Expected &expected);

double Median(std::vector<double> values);

/// Makes a clip with the ffmpeg program: testsrc2 and a sine in both channels for seconds, at
/// size and 25 fps, with the encoder options given (e.g. {"-c:v", "libx264", ...}).
bool MakeClip(const std::string &path, double seconds, const std::string &size,
              const std::vector<std::string> &encoding);

} // namespace bench
