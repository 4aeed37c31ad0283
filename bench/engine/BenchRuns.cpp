// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchRuns.h"

#include "platform/ChildProcess.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace bench {

namespace {

using quillet::platform::ChildOptions;
using quillet::platform::ChildProcess;
using quillet::platform::ChildStream;

double Seconds(const rusage &usage)
{
    return static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6
        + static_cast<double>(usage.ru_stime.tv_sec) + usage.ru_stime.tv_usec / 1e6;
}

double Since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// The peak resident memory of a running process, in KiB (0 when it cannot be read).
long PeakKib(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

ChildOptions Capturing()
{
    ChildOptions options;
    options.output = ChildStream::Pipe;
    return options;
}

} // namespace

Measurement Measure(const std::vector<std::string> &argv)
{
    return MeasureTogether({argv});
}

Measurement MeasureTogether(const std::vector<std::vector<std::string>> &argvs)
{
    Measurement m;
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::unique_ptr<ChildProcess>> children;
    for (const auto &argv : argvs) {
        children.push_back(std::make_unique<ChildProcess>(argv, Capturing()));
        if (!children.back()->Started())
            return m;
    }
    m.ok = true;
    for (auto &child : children) {
        // Read before waiting: a child whose pipe is full would never end.
        if (const auto text = child->ReadAll(std::size_t{1} << 20))
            m.output += *text;
        rusage usage{};
        m.ok = child->Wait(&usage) == 0 && m.ok;
        m.peak_kib += usage.ru_maxrss; // kilobytes on Linux
        m.cpu_s += Seconds(usage);
    }
    m.wall_s = Since(start);
    return m;
}

Measurement MeasureWithin(const std::vector<std::string> &argv, double limit_s)
{
    Measurement m;
    const auto start = std::chrono::steady_clock::now();
    ChildOptions options;
    options.output = ChildStream::Discard;
    ChildProcess child(argv, options);
    if (!child.Started())
        return m;
    const auto limit = std::chrono::milliseconds(static_cast<long>(limit_s * 1000));
    for (;;) {
        if (std::chrono::steady_clock::now() - start >= limit) {
            m.peak_kib = std::max(m.peak_kib, PeakKib(child.Pid()));
            child.Kill();
            m.wall_s = limit_s;
            return m;
        }
        m.peak_kib = std::max(m.peak_kib, PeakKib(child.Pid()));
        if (const auto status = child.WaitFor(std::chrono::milliseconds(50))) {
            m.wall_s = Since(start);
            m.ok = *status == 0;
            return m;
        }
    }
}

Made Probe(const std::string &path)
{
    ChildOptions options = Capturing();
    options.errors = ChildStream::Discard;
    ChildProcess probe({"ffprobe", "-v", "error", "-show_entries",
                        "format=duration:stream=codec_type,codec_name,width,height", "-of",
                        "default=noprint_wrappers=1", path},
                       options);
    const auto text = probe.ReadAll(std::size_t{1} << 16);
    Made made;
    if (probe.Wait() != 0 || !text)
        return made;
    std::istringstream lines(*text);
    std::string line, codec;
    while (std::getline(lines, line)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (key == "codec_name") {
            codec = value;
        } else if (key == "codec_type" && value == "video") {
            ++made.video_streams;
            made.video_codec = codec;
        } else if (key == "codec_type" && value == "audio") {
            ++made.audio_streams;
            made.audio_codec = codec;
        } else if (key == "width") {
            made.width = std::atoi(value.c_str());
        } else if (key == "height") {
            made.height = std::atoi(value.c_str());
        } else if (key == "duration") {
            made.duration_s = std::atof(value.c_str());
        }
    }
    return made;
}

std::string Mismatch(const Made &made, const Expected &expected)
{
    if (made.duration_s < 0)
        return "no readable output";
    const auto streams = [](int count, const std::string &codec) {
        return count == 0 ? std::string("none") : std::to_string(count) + " " + codec;
    };
    const int video = expected.video_codec.empty() ? 0 : 1;
    const int audio = expected.audio_codec.empty() ? 0 : 1;
    if (made.video_streams != video || (video && made.video_codec != expected.video_codec))
        return "video " + streams(made.video_streams, made.video_codec) + " instead of "
            + streams(video, expected.video_codec);
    if (made.audio_streams != audio || (audio && made.audio_codec != expected.audio_codec))
        return "audio " + streams(made.audio_streams, made.audio_codec) + " instead of "
            + streams(audio, expected.audio_codec);
    if (expected.width && (made.width != expected.width || made.height != expected.height))
        return "picture " + std::to_string(made.width) + "x" + std::to_string(made.height)
            + " instead of " + std::to_string(expected.width) + "x"
            + std::to_string(expected.height);
    if (made.duration_s < expected.duration_s - expected.tolerance_s
        || made.duration_s > expected.duration_s + expected.tolerance_s)
        return "duration " + std::to_string(made.duration_s) + " s instead of "
            + std::to_string(expected.duration_s) + " s";
    return {};
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool MakeClip(const std::string &path, double seconds, const std::string &size,
              const std::vector<std::string> &encoding)
{
    const std::string length = std::to_string(seconds);
    std::vector<std::string> argv{"ffmpeg",
                                  "-nostdin",
                                  "-v",
                                  "error",
                                  "-y",
                                  "-f",
                                  "lavfi",
                                  "-i",
                                  "testsrc2=size=" + size + ":rate=25:duration=" + length,
                                  "-f",
                                  "lavfi",
                                  "-i",
                                  "sine=frequency=440:sample_rate=48000:duration=" + length,
                                  "-ac",
                                  "2"};
    argv.insert(argv.end(), encoding.begin(), encoding.end());
    argv.push_back(path);
    return Measure(argv).ok;
}

} // namespace bench
