// SPDX-License-Identifier: GPL-3.0-or-later
#include "EngineHarness.h"

#include "Command.h"

#include <atomic>
#include <cstdlib>

namespace dolmar_test {

std::atomic<int> g_stray_callbacks{0};

namespace {

// ffmain's callback is a plain function pointer, so the run being observed lives here, one per
// thread: the engine calls back on the thread that called it, and runs may go on at once.
thread_local EngineRun *g_run = nullptr;
thread_local RunOptions g_options;
thread_local std::chrono::steady_clock::time_point g_last_call;

int Callback(const char *message, double position)
{
    if (!g_run) {
        // Not the calling thread: nothing here knows the run, which is the fault to report.
        g_stray_callbacks.fetch_add(1);
        return 0;
    }
    const auto now = std::chrono::steady_clock::now();
    const auto silence = std::chrono::duration_cast<std::chrono::milliseconds>(now - g_last_call);
    if (silence > g_run->longest_silence)
        g_run->longest_silence = silence;
    g_last_call = now;
    if (position < 0 && position > -2) {
        g_run->messages.emplace_back(message ? message : "");
        return 0;
    }
    ++g_run->progress_reports;
    g_run->last_position_s = position;
    if (g_options.stop_at_position_s >= 0 && position >= g_options.stop_at_position_s)
        return -1;
    return 0;
}

} // namespace

std::string EngineRun::AllMessages() const
{
    std::string all;
    for (const auto &message : messages)
        all += message + "\n";
    return all;
}

EngineRun RunEngine(const std::vector<std::string> &args, RunOptions options)
{
    std::vector<std::string> storage{"ffmain"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char *> argv;
    argv.reserve(storage.size());
    for (auto &arg : storage)
        argv.push_back(arg.data());
    EngineRun run;
    g_run = &run;
    g_options = options;
    g_last_call = std::chrono::steady_clock::now();
    run.result = ffmain(static_cast<int>(argv.size()), argv.data(), Callback);
    g_run = nullptr;
    return run;
}

ProbeResult::ProbeResult(const std::string &path)
{
    result = GetMediaFileInfo(path.c_str(), &context, &streams, 0);
}

ProbeResult::~ProbeResult()
{
    FreeContext(&context);
    FreeStreamInfo(streams);
}

int ProbeResult::Count(int kind) const
{
    int n = 0;
    for (int i = 0; streams && i < context.stream_count; ++i)
        n += streams[i].kind == kind;
    return n;
}

const StreamInfo *ProbeResult::First(int kind) const
{
    for (int i = 0; streams && i < context.stream_count; ++i)
        if (streams[i].kind == kind)
            return &streams[i];
    return nullptr;
}

} // namespace dolmar_test

namespace dolmar_test {

std::string StreamField(const std::string &path, const std::string &stream,
                        const std::string &field)
{
    auto result = quillet::test::RunCommand({"ffprobe", "-v", "error", "-select_streams", stream,
                                             "-show_entries", "stream=" + field, "-of",
                                             "default=noprint_wrappers=1:nokey=1", path});
    std::string value = result.out;
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r'))
        value.pop_back();
    return value;
}

double MaxVolumeDb(const std::string &path)
{
    auto result
        = quillet::test::RunCommand({"ffmpeg", "-nostdin", "-hide_banner", "-i", path, "-map",
                                     "0:a:0", "-af", "volumedetect", "-f", "null", "-"});
    const auto at = result.err.find("max_volume:");
    if (at == std::string::npos)
        return 1000;
    return std::atof(result.err.c_str() + at + 11);
}

double MeanDifference(const quillet::test::RgbFrame &a, const quillet::test::RgbFrame &b, int x,
                      int y, int width, int height)
{
    if (a.empty() || b.empty() || a.width != b.width || a.height != b.height)
        return 1000;
    double sum = 0;
    for (int row = y; row < y + height; ++row)
        for (int col = x; col < x + width; ++col)
            for (int c = 0; c < 3; ++c) {
                const std::size_t i = (static_cast<std::size_t>(row) * a.width + col) * 3 + c;
                sum += std::abs(int(a.pixels[i]) - int(b.pixels[i]));
            }
    return sum / (double(width) * height * 3);
}

int ChangedPixels(const quillet::test::RgbFrame &a, const quillet::test::RgbFrame &b, int x, int y,
                  int width, int height, int threshold)
{
    if (a.empty() || b.empty() || a.width != b.width || a.height != b.height)
        return -1;
    int changed = 0;
    for (int row = y; row < y + height; ++row)
        for (int col = x; col < x + width; ++col) {
            const std::size_t i = (static_cast<std::size_t>(row) * a.width + col) * 3;
            bool differs = false;
            for (int c = 0; c < 3; ++c)
                differs
                    = differs || std::abs(int(a.pixels[i + c]) - int(b.pixels[i + c])) > threshold;
            changed += differs;
        }
    return changed;
}

} // namespace dolmar_test
