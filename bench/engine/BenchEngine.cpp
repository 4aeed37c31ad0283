// SPDX-License-Identifier: GPL-3.0-or-later
// bench_engine: the engine against the ffmpeg program on the same job, each run in a child
// process of its own so that both are measured the same way (wall time on a steady clock, CPU
// time and peak resident memory from wait4). A run counts only when its output has the streams
// and the duration it must have; a run that fails or makes something else ends the benchmark
// with exit status 1.
//
//   bench_engine [--runs N] [--seconds S] [--source mp4|avi|mkv] [--folder DIR]
//     A 720p H.264 + AAC job (libx264 defaults, 640x480, AAC 128 kbit/s) from a generated clip:
//     mp4 H.264 + AAC (states its scanning), avi MPEG-4 + MP3 (states nothing, so the engine
//     looks), mkv the same streams stating progressive scanning. Prints every run, the medians,
//     the ratios ffmain / ffmpeg (below 1.00: the engine is faster or leaner), the longest time
//     between two progress reports, and how long a stop takes.
//
//   bench_engine --damaged [--runs N] [--limit S] [--folder DIR]
//     Transport streams whose clock jumps (two 2 s recordings joined in either order) and a 2 s
//     one whose sound has a timestamp 6.6 hours ahead, each beside an undamaged file of the same
//     length: wall time, peak memory and the output's duration, each run limited to S seconds.
//
//   bench_engine --jobs N [--runs R] [--seconds S] [--folder DIR]
//     N conversions at once, as N threads calling ffmain in one process and as N processes of
//     their own, and what starting a process that loads the engine costs.

#include "BenchRuns.h"
#include "TransportClock.h"
#include "dolmar.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

using bench::Expected;
using bench::Measurement;
using bench::Median;

// What the engine child observes of its callbacks.
thread_local std::chrono::steady_clock::time_point g_last_call;
thread_local double g_longest_gap_ms = 0;
thread_local double g_stop_at_s = -1;
thread_local std::chrono::steady_clock::time_point g_stop_asked;

int Observe(const char *message, double position)
{
    const auto now = std::chrono::steady_clock::now();
    g_longest_gap_ms = std::max(
        g_longest_gap_ms, std::chrono::duration<double, std::milli>(now - g_last_call).count());
    g_last_call = now;
    if (position < 0 && position > -2) {
        std::fprintf(stderr, "engine: %s\n", message);
        return 0;
    }
    if (g_stop_at_s >= 0 && position >= g_stop_at_s) {
        if (g_stop_asked == std::chrono::steady_clock::time_point{})
            g_stop_asked = now;
        return -1;
    }
    return 0;
}

/// One ffmain run on this thread; the figures go to standard output.
int RunOnce(std::vector<char *> args)
{
    args.insert(args.begin(), const_cast<char *>("ffmain"));
    g_last_call = std::chrono::steady_clock::now();
    const int result = ffmain(static_cast<int>(args.size()), args.data(), Observe);
    double stop_ms = -1;
    if (g_stop_asked != std::chrono::steady_clock::time_point{})
        stop_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now()
                                                            - g_stop_asked)
                      .count();
    std::printf("gap_ms=%.1f stop_ms=%.1f\n", g_longest_gap_ms, stop_ms);
    return result;
}

/// The child side: --engine-child [--stop-at S] ARGS...
int RunEngineChild(int argc, char **argv)
{
    int first = 2;
    if (argc > 3 && std::strcmp(argv[2], "--stop-at") == 0) {
        g_stop_at_s = std::atof(argv[3]);
        first = 4;
    }
    VCInit();
    const int result = RunOnce(std::vector<char *>(argv + first, argv + argc));
    VCExit();
    const bool expected = g_stop_at_s >= 0 ? result == DOLMAR_STOPPED : result == DOLMAR_OK;
    return expected ? 0 : 1;
}

/// The child side: --threads-child IN OUT [IN OUT ...], one ffmain thread per pair.
int RunThreadsChild(int argc, char **argv)
{
    VCInit();
    std::atomic<int> failed{0};
    std::vector<std::thread> threads;
    for (int i = 2; i + 1 < argc; i += 2) {
        threads.emplace_back([&, i] {
            std::vector<std::string> job{"-i",   argv[i],   "-s",       "640x480", "-vcodec",
                                         "h264", "-acodec", "aac",      "-ab",     "128",
                                         "-b",   "0",       argv[i + 1]};
            std::vector<char *> args;
            args.reserve(job.size());
            for (std::string &arg : job)
                args.push_back(arg.data());
            if (RunOnce(args) != DOLMAR_OK)
                ++failed;
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    VCExit();
    return failed ? 1 : 0;
}

/// The child side: --idle-child. What a runner process holds once it has loaded the engine:
/// its private memory in KiB.
int RunIdleChild()
{
    VCInit();
    std::ifstream rollup("/proc/self/smaps_rollup");
    std::string line;
    long private_kib = 0;
    while (std::getline(rollup, line))
        if (line.rfind("Private_", 0) == 0)
            private_kib += std::atol(line.c_str() + line.find(':') + 1);
    std::printf("private_kib=%ld\n", private_kib);
    VCExit();
    return 0;
}

/// The figure named key in a child's output ("gap_ms=12.5 ..."), or -1.
double Figure(const std::string &output, const std::string &key)
{
    const auto at = output.rfind(key + "=");
    return at == std::string::npos ? -1 : std::atof(output.c_str() + at + key.size() + 1);
}

std::vector<std::string> EngineJob(const std::string &self, const std::string &input,
                                   const std::string &output)
{
    return {self,   "--engine-child", "-i",  input, "-s",  "640x480", "-vcodec",
            "h264", "-acodec",        "aac", "-ab", "128", "-b",      "0",
            output};
}

std::vector<std::string> ProgramJob(const std::string &input, const std::string &output)
{
    return {"ffmpeg",  "-nostdin", "-v",      "error",  "-y",   "-i",  input,
            "-c:v",    "libx264",  "-preset", "medium", "-crf", "23",  "-s",
            "640x480", "-c:a",     "aac",     "-b:a",   "128k", output};
}

bool Fail(const std::string &what)
{
    std::fprintf(stderr, "bench_engine: %s\n", what.c_str());
    return false;
}

/// The output a run made, checked; false (and why on standard error) when it is not right.
bool Check(const char *who, const std::string &path, const Expected &expected)
{
    const std::string wrong = bench::Mismatch(bench::Probe(path), expected);
    return wrong.empty() || Fail(std::string(who) + " made " + path + " with " + wrong);
}

struct Options
{
    int runs = 5;
    double seconds = 12;
    double limit_s = 60;
    int jobs = 2;
    std::string source = "mp4";
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "bench_engine";
};

bool MakeSource(const Options &options, const std::string &path)
{
    std::printf("Making a %.0f s 1280x720 %s clip (testsrc2 + sine)...\n", options.seconds,
                options.source.c_str());
    if (options.source == "mp4")
        return bench::MakeClip(path, options.seconds, "1280x720",
                               {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt",
                                "yuv420p", "-c:a", "aac", "-b:a", "192k"});
    // MPEG-4 Part 2 and MP3, as capture and download tools wrote them; Matroska states the
    // scanning, AVI has no place for it.
    std::vector<std::string> encoding{"-c:v", "mpeg4",      "-q:v", "3",
                                      "-c:a", "libmp3lame", "-b:a", "192k"};
    if (options.source == "mkv") {
        encoding.push_back("-field_order");
        encoding.push_back("progressive");
    }
    return bench::MakeClip(path, options.seconds, "1280x720", encoding);
}

int RunPairs(const Options &options)
{
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string clip = (options.folder / ("source." + options.source)).string();
    const std::string engine_out = (options.folder / "engine.mp4").string();
    const std::string ffmpeg_out = (options.folder / "ffmpeg.mp4").string();
    if (!MakeSource(options, clip))
        return Fail("could not make the clip with ffmpeg"), 1;
    const Expected expected{options.seconds, 0.1, "h264", "aac", 640, 480};

    std::vector<double> engine_wall, engine_cpu, engine_peak, ffmpeg_wall, ffmpeg_cpu, ffmpeg_peak;
    std::vector<double> ratios, cpu_ratios, gaps;
    std::printf("%-4s %-8s %10s %10s %12s\n", "run", "program", "wall s", "cpu s", "peak MiB");
    for (int run = 1; run <= options.runs; ++run) {
        // Alternate which goes first, so that neither always meets a warm or a cold cache.
        double walls[2] = {0, 0};
        double cpus[2] = {0, 0};
        for (int turn = 0; turn < 2; ++turn) {
            const bool engine_turn = (turn == 0) == (run % 2 == 1);
            const std::string &out = engine_turn ? engine_out : ffmpeg_out;
            std::filesystem::remove(out);
            const Measurement m
                = bench::Measure(engine_turn ? EngineJob(self, clip, out) : ProgramJob(clip, out));
            const char *who = engine_turn ? "ffmain" : "ffmpeg";
            if (!m.ok)
                return Fail(std::string(who) + " failed"), 1;
            if (!Check(who, out, expected))
                return 1;
            (engine_turn ? engine_wall : ffmpeg_wall).push_back(m.wall_s);
            (engine_turn ? engine_cpu : ffmpeg_cpu).push_back(m.cpu_s);
            (engine_turn ? engine_peak : ffmpeg_peak).push_back(m.peak_kib / 1024.0);
            walls[engine_turn ? 0 : 1] = m.wall_s;
            cpus[engine_turn ? 0 : 1] = m.cpu_s;
            if (engine_turn)
                gaps.push_back(Figure(m.output, "gap_ms"));
            std::printf("%-4d %-8s %10.3f %10.3f %12.1f\n", run, who, m.wall_s, m.cpu_s,
                        m.peak_kib / 1024.0);
            std::fflush(stdout);
        }
        ratios.push_back(walls[0] / walls[1]);
        cpu_ratios.push_back(cpus[0] / cpus[1]);
    }
    const double ep = Median(engine_peak), fp = Median(ffmpeg_peak);
    std::printf("\nmedian   ffmain %.3f s wall, %.3f s cpu, %.1f MiB   ffmpeg %.3f s wall, %.3f s "
                "cpu, %.1f MiB\n",
                Median(engine_wall), Median(engine_cpu), ep, Median(ffmpeg_wall),
                Median(ffmpeg_cpu), fp);
    // Other work on the machine moves both times from run to run; a pair's two runs meet much
    // the same load, so the ratios are taken pair by pair.
    std::printf("ratio ffmain/ffmpeg, medians of the pairs   wall %.3f (%.3f to %.3f)   cpu %.3f "
                "(%.3f to %.3f)   peak memory %.3f\n",
                Median(ratios), *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()), Median(cpu_ratios),
                *std::min_element(cpu_ratios.begin(), cpu_ratios.end()),
                *std::max_element(cpu_ratios.begin(), cpu_ratios.end()), ep / fp);
    std::printf("longest time between two progress reports   median %.0f ms, worst %.0f ms\n",
                Median(gaps), *std::max_element(gaps.begin(), gaps.end()));

    // A stop a third of the way in: how long until ffmain returns.
    std::vector<double> stops;
    for (int run = 0; run < std::min(options.runs, 3); ++run) {
        std::vector<std::string> argv = EngineJob(self, clip, engine_out);
        argv.insert(argv.begin() + 2, {"--stop-at", std::to_string(options.seconds / 3)});
        const Measurement m = bench::Measure(argv);
        if (!m.ok)
            return Fail("ffmain did not stop"), 1;
        stops.push_back(Figure(m.output, "stop_ms"));
    }
    std::printf("from the caller's stop to ffmain's return   median %.0f ms, worst %.0f ms\n",
                Median(stops), *std::max_element(stops.begin(), stops.end()));
    return 0;
}

int RunJobs(const Options &options)
{
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::vector<std::string> inputs, outputs;
    std::printf("Making %d clips of %.0f s (1280x720 H.264 + AAC)...\n", options.jobs,
                options.seconds);
    for (int i = 0; i < options.jobs; ++i) {
        inputs.push_back((options.folder / ("job" + std::to_string(i) + ".mp4")).string());
        outputs.push_back((options.folder / ("out" + std::to_string(i) + ".mp4")).string());
        if (!bench::MakeClip(inputs.back(), options.seconds, "1280x720",
                             {"-c:v", "libx264", "-preset", "veryfast", "-c:a", "aac"}))
            return Fail("could not make the clips with ffmpeg"), 1;
    }
    const Expected expected{options.seconds, 0.1, "h264", "aac", 640, 480};
    std::vector<std::string> in_threads{self, "--threads-child"};
    std::vector<std::vector<std::string>> in_processes;
    for (int i = 0; i < options.jobs; ++i) {
        in_threads.push_back(inputs[static_cast<std::size_t>(i)]);
        in_threads.push_back(outputs[static_cast<std::size_t>(i)]);
        in_processes.push_back(EngineJob(self, inputs[static_cast<std::size_t>(i)],
                                         outputs[static_cast<std::size_t>(i)]));
    }

    std::vector<double> wall[2], cpu[2], peak[2];
    const char *kinds[2] = {"threads", "processes"};
    for (int run = 1; run <= options.runs; ++run) {
        for (int turn = 0; turn < 2; ++turn) {
            const int kind = (turn + run) % 2;
            for (const std::string &out : outputs)
                std::filesystem::remove(out);
            const Measurement m
                = kind == 0 ? bench::Measure(in_threads) : bench::MeasureTogether(in_processes);
            if (!m.ok)
                return Fail(std::string("the jobs as ") + kinds[kind] + " failed"), 1;
            for (const std::string &out : outputs)
                if (!Check(kinds[kind], out, expected))
                    return 1;
            wall[kind].push_back(m.wall_s);
            cpu[kind].push_back(m.cpu_s);
            peak[kind].push_back(m.peak_kib / 1024.0);
        }
    }
    std::printf("%d jobs at once, medians of %d runs:\n", options.jobs, options.runs);
    for (int kind = 0; kind < 2; ++kind)
        std::printf("  as %-9s  %7.3f s wall  %7.3f s cpu  %7.1f MiB peak%s\n", kinds[kind],
                    Median(wall[kind]), Median(cpu[kind]), Median(peak[kind]),
                    kind == 1 ? " (sum of the processes' peaks)" : "");

    // What one more process costs before it converts anything.
    std::vector<double> start_wall, start_cpu, private_mib;
    for (int run = 0; run < 10; ++run) {
        const Measurement m = bench::Measure({self, "--idle-child"});
        if (!m.ok)
            return Fail("the idle child failed"), 1;
        start_wall.push_back(m.wall_s * 1000);
        start_cpu.push_back(m.cpu_s * 1000);
        private_mib.push_back(Figure(m.output, "private_kib") / 1024);
    }
    std::vector<double> thread_start;
    for (int run = 0; run < 10; ++run) {
        const auto start = std::chrono::steady_clock::now();
        std::thread([] { VCInit(); }).join();
        thread_start.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::printf("starting a process that loads the engine: %.1f ms wall, %.1f ms cpu, %.1f MiB "
                "private memory (medians of 10)\n",
                Median(start_wall), Median(start_cpu), Median(private_mib));
    std::printf("starting a thread in this process: %.3f ms wall (median of 10)\n",
                Median(thread_start));
    return 0;
}

std::string ReadBytes(const std::filesystem::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool WriteBytes(const std::filesystem::path &path, const std::string &bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

/// A 640x360 H.264 + AAC transport stream whose clock starts at clock_start_s.
bool MakeRecording(const std::string &path, double seconds, double clock_start_s)
{
    return bench::MakeClip(path, seconds, "640x360",
                           {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac",
                            "-output_ts_offset", std::to_string(clock_start_s), "-f", "mpegts"});
}

int RunDamaged(const Options &options)
{
    const auto file = [&](const char *name) { return (options.folder / name).string(); };
    std::printf("Making the transport streams (640x360 H.264 + AAC)...\n");
    if (!MakeRecording(file("a.ts"), 2, 0) || !MakeRecording(file("b.ts"), 2, 600)
        || !MakeRecording(file("whole2.ts"), 2, 0) || !MakeRecording(file("whole4.ts"), 4, 0))
        return Fail("could not make the clips with ffmpeg"), 1;
    const std::string a = ReadBytes(file("a.ts"));
    const std::string b = ReadBytes(file("b.ts"));
    // One sound packet of the second half 6.6 hours ahead.
    const std::string whole = ReadBytes(file("whole2.ts"));
    if (!WriteBytes(file("forward.ts"), a + b) || !WriteBytes(file("backward.ts"), b + a)
        || !WriteBytes(file("damaged.ts"),
                       dolmar_test::ShiftTransportClock(whole, whole.size() / 2,
                                                        int64_t{23760} * 90000,
                                                        dolmar_test::kTsAudioPid, 1)))
        return Fail("could not write the joined clips"), 1;

    struct Job
    {
        const char *name;
        double content_s;
    };
    const Job jobs[] = {{"whole2.ts", 2},
                        {"damaged.ts", 2},
                        {"whole4.ts", 4},
                        {"forward.ts", 4},
                        {"backward.ts", 4}};
    // A device profile's job: H.264 Main at 1024x768 with AAC.
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    bool all_right = true;
    std::printf("%-12s %-7s %9s %10s %12s %8s\n", "input", "program", "wall s", "peak MiB",
                "duration s", "right");
    for (const Job &job : jobs) {
        const std::string input = file(job.name);
        const std::string engine_out = file("engine.mp4");
        const std::string ffmpeg_out = file("ffmpeg.mp4");
        const std::vector<std::string> engine{self,        "--engine-child",
                                              "-i",        input,
                                              "-vprofile", "main",
                                              "-level",    "31",
                                              "-bf",       "2",
                                              "-refs",     "3",
                                              "-g",        "250",
                                              "-movflags", "+faststart",
                                              "-ar",       "44100",
                                              "-ac",       "2",
                                              "-ab",       "128",
                                              "-b",        "1536",
                                              "-acodec",   "aac",
                                              "-vcodec",   "h264",
                                              "-s",        "1024x768",
                                              "-aspect",   "16:9",
                                              engine_out};
        const std::vector<std::string> program{
            "ffmpeg",  "-nostdin",   "-v",         "error",   "-y",    "-i",  input,      "-c:v",
            "libx264", "-profile:v", "main",       "-level",  "31",    "-bf", "2",        "-refs",
            "3",       "-g",         "250",        "-b:v",    "1536k", "-s",  "1024x768", "-aspect",
            "16:9",    "-c:a",       "aac",        "-ar",     "44100", "-ac", "2",        "-b:a",
            "128k",    "-movflags",  "+faststart", ffmpeg_out};
        // The engine must make the content's length; the ffmpeg program is shown as it is (it
        // makes hours of a 2 s file), and only has to end.
        const Expected expected{job.content_s, 0.5, "h264", "aac", 1024, 768};
        for (int turn = 0; turn < 2; ++turn) {
            const bool engine_turn = turn == 0;
            const std::string &out = engine_turn ? engine_out : ffmpeg_out;
            std::vector<double> wall, peak, duration;
            bool right = true;
            for (int run = 0; run < options.runs; ++run) {
                std::filesystem::remove(out);
                const Measurement m
                    = bench::MeasureWithin(engine_turn ? engine : program, options.limit_s);
                const bench::Made made = bench::Probe(out);
                if (engine_turn) {
                    const std::string wrong = bench::Mismatch(made, expected);
                    if (!m.ok || !wrong.empty())
                        right = Fail(std::string("ffmain on ") + job.name + ": "
                                     + (m.ok ? wrong : "failed or did not end"));
                }
                wall.push_back(m.wall_s);
                peak.push_back(m.peak_kib / 1024.0);
                duration.push_back(made.duration_s);
            }
            all_right = all_right && right;
            std::printf("%-12s %-7s %9.2f %10.1f %12.3f %8s\n", job.name,
                        engine_turn ? "ffmain" : "ffmpeg", Median(wall), Median(peak),
                        Median(duration), engine_turn ? (right ? "yes" : "NO") : "-");
            std::fflush(stdout);
        }
    }
    std::printf("\n(content: 2 s, 2 s, 4 s, 4 s, 4 s; a duration of -1 means no playable "
                "output; each run is stopped at %.0f s)\n",
                options.limit_s);
    return all_right ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--engine-child") == 0)
        return RunEngineChild(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--threads-child") == 0)
        return RunThreadsChild(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--idle-child") == 0)
        return RunIdleChild();

    enum class Mode { Pairs, Damaged, Jobs } mode = Mode::Pairs;
    Options options;
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--damaged") == 0) {
        mode = Mode::Damaged;
        options.runs = 3;
        first = 2;
    } else if (argc > 2 && std::strcmp(argv[1], "--jobs") == 0) {
        mode = Mode::Jobs;
        options.jobs = std::max(1, std::atoi(argv[2]));
        options.seconds = 6;
        first = 3;
    }
    for (int i = first; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const char *value = argv[i + 1];
        if (option == "--runs")
            options.runs = std::max(1, std::atoi(value));
        else if (option == "--seconds")
            options.seconds = std::max(1.0, std::atof(value));
        else if (option == "--limit")
            options.limit_s = std::max(1.0, std::atof(value));
        else if (option == "--source"
                 && (!std::strcmp(value, "mp4") || !std::strcmp(value, "avi")
                     || !std::strcmp(value, "mkv")))
            options.source = value;
        else if (option == "--folder")
            options.folder = value;
        else {
            std::fprintf(stderr, "unknown option %s %s\n", option.c_str(), value);
            return 2;
        }
    }
    std::filesystem::create_directories(options.folder);
    switch (mode) {
    case Mode::Damaged:
        return RunDamaged(options);
    case Mode::Jobs:
        return RunJobs(options);
    case Mode::Pairs:
        break;
    }
    return RunPairs(options);
}
