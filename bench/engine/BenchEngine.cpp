// SPDX-License-Identifier: GPL-3.0-or-later
// bench_engine: the same H.264 + AAC job through ffmain and through the ffmpeg program, run
// alternately, each in a child process of its own so that both are measured the same way (wall
// time on a steady clock, peak resident memory from wait4). Prints every run, the medians and the
// ratios ffmain / ffmpeg; below 1.00 means the engine is faster or leaner.
//
//   bench_engine [--runs N] [--seconds S] [--size WxH] [--folder DIR]

#include "dolmar.h"
#include "platform/ChildProcess.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Measurement
{
    double wall_s = 0;
    double cpu_s = 0; ///< user + system: what the work cost, whatever else the machine runs
    long peak_kib = 0;
    bool ok = false;
};

/// Starts argv as a child process and measures it until it ends.
Measurement Measure(const std::vector<std::string> &argv)
{
    Measurement m;
    const auto start = std::chrono::steady_clock::now();
    quillet::platform::ChildProcess child(argv);
    if (!child.Started())
        return m;
    rusage usage{};
    const int status = child.Wait(&usage);
    m.wall_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.peak_kib = usage.ru_maxrss; // kilobytes on Linux
    m.cpu_s = static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6
        + static_cast<double>(usage.ru_stime.tv_sec) + usage.ru_stime.tv_usec / 1e6;
    m.ok = status == 0;
    return m;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int Quiet(const char *message, double position)
{
    if (position < 0 && position > -2)
        std::fprintf(stderr, "engine: %s\n", message);
    return 0;
}

/// The child side: one ffmain run with the rest of the command line.
int RunEngineChild(int argc, char **argv)
{
    std::vector<char *> args{const_cast<char *>("ffmain")};
    for (int i = 2; i < argc; ++i)
        args.push_back(argv[i]);
    VCInit();
    const int result = ffmain(static_cast<int>(args.size()), args.data(), Quiet);
    VCExit();
    return result == DOLMAR_OK ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--engine-child") == 0)
        return RunEngineChild(argc, argv);

    int runs = 5;
    int seconds = 20;
    std::string size = "1280x720";
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "bench_engine";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--runs")
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--seconds")
            seconds = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--size")
            size = argv[i + 1];
        else if (option == "--folder")
            folder = argv[i + 1];
        else {
            std::fprintf(stderr, "unknown option %s\n", option.c_str());
            return 2;
        }
    }
    std::filesystem::create_directories(folder);
    const std::string clip = (folder / "source.mp4").string();
    const std::string engine_out = (folder / "engine.mp4").string();
    const std::string ffmpeg_out = (folder / "ffmpeg.mp4").string();

    std::printf("Making a %d s %s clip (testsrc2 + sine, H.264 + AAC)...\n", seconds, size.c_str());
    const Measurement made
        = Measure({"ffmpeg",
                   "-nostdin",
                   "-v",
                   "error",
                   "-y",
                   "-f",
                   "lavfi",
                   "-i",
                   "testsrc2=size=" + size + ":rate=25:duration=" + std::to_string(seconds),
                   "-f",
                   "lavfi",
                   "-i",
                   "sine=frequency=440:sample_rate=48000:duration=" + std::to_string(seconds),
                   "-ac",
                   "2",
                   "-c:v",
                   "libx264",
                   "-preset",
                   "veryfast",
                   "-crf",
                   "18",
                   "-c:a",
                   "aac",
                   "-b:a",
                   "192k",
                   clip});
    if (!made.ok) {
        std::fprintf(stderr, "could not make the clip with ffmpeg\n");
        return 1;
    }

    // The same job both ways: libx264 at its defaults (preset medium, CRF 23), threads chosen by
    // the encoder, AAC at 128 kbit/s.
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::vector<std::string> engine{
        self, "--engine-child", "-i", clip, "-vcodec", "h264", "-acodec", "aac", "-ab", "128", "-b",
        "0",  engine_out};
    const std::vector<std::string> program{
        "ffmpeg",  "-nostdin", "-v",   "error", "-y",   "-i",  clip,   "-c:v", "libx264",
        "-preset", "medium",   "-crf", "23",    "-c:a", "aac", "-b:a", "128k", ffmpeg_out};

    std::vector<double> engine_wall, engine_cpu, engine_peak, ffmpeg_wall, ffmpeg_cpu, ffmpeg_peak;
    std::printf("%-4s %-8s %10s %10s %12s\n", "run", "program", "wall s", "cpu s", "peak MiB");
    for (int run = 1; run <= runs; ++run) {
        // Alternate which goes first, so that neither always meets a warm or a cold cache.
        for (int turn = 0; turn < 2; ++turn) {
            const bool engine_turn = (turn == 0) == (run % 2 == 1);
            const Measurement m = Measure(engine_turn ? engine : program);
            if (!m.ok) {
                std::fprintf(stderr, "%s failed\n", engine_turn ? "ffmain" : "ffmpeg");
                return 1;
            }
            (engine_turn ? engine_wall : ffmpeg_wall).push_back(m.wall_s);
            (engine_turn ? engine_cpu : ffmpeg_cpu).push_back(m.cpu_s);
            (engine_turn ? engine_peak : ffmpeg_peak).push_back(m.peak_kib / 1024.0);
            std::printf("%-4d %-8s %10.3f %10.3f %12.1f\n", run, engine_turn ? "ffmain" : "ffmpeg",
                        m.wall_s, m.cpu_s, m.peak_kib / 1024.0);
            std::fflush(stdout);
        }
    }
    const double ew = Median(engine_wall), fw = Median(ffmpeg_wall);
    const double ec = Median(engine_cpu), fc = Median(ffmpeg_cpu);
    const double ep = Median(engine_peak), fp = Median(ffmpeg_peak);
    std::printf("\nmedian   ffmain %.3f s wall, %.3f s cpu, %.1f MiB   ffmpeg %.3f s wall, %.3f s "
                "cpu, %.1f MiB\n",
                ew, ec, ep, fw, fc, fp);
    std::printf("ratio ffmain/ffmpeg   wall %.3f   cpu %.3f   peak memory %.3f\n", ew / fw, ec / fc,
                ep / fp);
    std::printf("output sizes   ffmain %ju bytes   ffmpeg %ju bytes\n",
                static_cast<uintmax_t>(std::filesystem::file_size(engine_out)),
                static_cast<uintmax_t>(std::filesystem::file_size(ffmpeg_out)));
    return 0;
}
