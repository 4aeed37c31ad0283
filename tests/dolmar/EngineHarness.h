// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dolmar.h"

#include "MediaFixtures.h"
#include "TransportClock.h"

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

namespace dolmar_test {

/// What one ffmain call did, as its caller saw it through the callback.
struct EngineRun
{
    int result = 0;
    std::vector<std::string> messages; ///< texts reported with a position in (-2, 0)
    int progress_reports = 0;
    double last_position_s = -1;
    std::chrono::milliseconds longest_silence{0}; ///< longest time between two callbacks
    std::string AllMessages() const;
};

struct RunOptions
{
    /// The callback answers -1 once the reported position reaches this (negative: never).
    double stop_at_position_s = -1;
};

/// Calls ffmain with "ffmain" followed by args. Runs on several threads at once are observed
/// apart.
EngineRun RunEngine(const std::vector<std::string> &args, RunOptions options = {});

/// Callbacks that came on a thread other than the one that called ffmain, since the start.
extern std::atomic<int> g_stray_callbacks;

/// A probe through GetMediaFileInfo whose records are released on scope exit.
class ProbeResult
{
public:
    explicit ProbeResult(const std::string &path);
    ~ProbeResult();
    ProbeResult(const ProbeResult &) = delete;
    ProbeResult &operator=(const ProbeResult &) = delete;

    int result = 0;
    MediaContext context{};
    StreamInfo *streams = nullptr;

    int Count(int kind) const;
    const StreamInfo *First(int kind) const;
};

} // namespace dolmar_test

namespace dolmar_test {

/// One field of one stream as the ffprobe program reports it ("" when absent), e.g.
/// StreamField(path, "v:0", "codec_tag_string").
std::string StreamField(const std::string &path, const std::string &stream,
                        const std::string &field);

/// The loudest sample of the file's first audio stream in dBFS (-91 for digital silence).
double MaxVolumeDb(const std::string &path);

/// Mean absolute difference of two RGB frames of the same size over a rectangle, 0 to 255.
double MeanDifference(const quillet::test::RgbFrame &a, const quillet::test::RgbFrame &b, int x,
                      int y, int width, int height);

/// How many pixels of the rectangle differ by more than threshold in some colour (-1 when the
/// frames cannot be compared).
int ChangedPixels(const quillet::test::RgbFrame &a, const quillet::test::RgbFrame &b, int x, int y,
                  int width, int height, int threshold);

} // namespace dolmar_test
