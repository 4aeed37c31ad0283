// SPDX-License-Identifier: GPL-3.0-or-later
// bench_engine: the same H.264 + AAC job through ffmain and through the ffmpeg program, run
// alternately, each in a child process of its own so that both are measured the same way (wall
// time on a steady clock, peak resident memory from wait4). Prints every run, the medians and the
// ratios ffmain / ffmpeg; below 1.00 means the engine is faster or leaner.
//
//   bench_engine [--runs N] [--seconds S] [--size WxH] [--folder DIR]
//
// --damaged compares instead the transport streams whose clock jumps (two 2 s recordings joined
// in either order) and a 2 s one whose sound has a timestamp 6.6 hours ahead, each beside an
// undamaged file of the same length: wall time, peak memory and the output's duration, with a
// time limit (--limit S, default 60) on each run.
//
//   bench_engine --damaged [--runs N] [--limit S] [--folder DIR]

#include "TransportClock.h"
#include "dolmar.h"
#include "platform/ChildProcess.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
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

/// As Measure, but a child still running after limit_s is ended (ok false, wall_s the limit).
Measurement MeasureWithin(const std::vector<std::string> &argv, double limit_s)
{
    Measurement m;
    const auto start = std::chrono::steady_clock::now();
    quillet::platform::ChildProcess child(argv);
    if (!child.Started())
        return m;
    const auto limit = std::chrono::milliseconds(static_cast<long>(limit_s * 1000));
    for (;;) {
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (elapsed >= limit) {
            m.peak_kib = PeakKib(child.Pid());
            child.Kill();
            m.wall_s = limit_s;
            return m;
        }
        const long peak = PeakKib(child.Pid());
        m.peak_kib = std::max(m.peak_kib, peak);
        if (const auto status = child.WaitFor(std::chrono::milliseconds(50))) {
            m.wall_s
                = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            m.ok = *status == 0;
            return m;
        }
    }
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

/// The duration ffprobe reads from a file's container, or -1.
double ProbedDuration(const std::string &path)
{
    quillet::platform::ChildOptions options;
    options.output = quillet::platform::ChildStream::Pipe;
    options.errors = quillet::platform::ChildStream::Discard;
    quillet::platform::ChildProcess probe(
        {"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path},
        options);
    const auto text = probe.ReadAll(4096);
    probe.Wait();
    return text && !text->empty() ? std::atof(text->c_str()) : -1;
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

/// Makes a 2 s H.264 + AAC transport stream whose clock starts at clock_start_s.
bool MakeRecording(const std::string &path, double seconds, double clock_start_s)
{
    const std::string length = std::to_string(seconds);
    return Measure({"ffmpeg",
                    "-nostdin",
                    "-v",
                    "error",
                    "-y",
                    "-f",
                    "lavfi",
                    "-i",
                    "testsrc2=size=640x360:rate=25:duration=" + length,
                    "-f",
                    "lavfi",
                    "-i",
                    "sine=frequency=440:sample_rate=48000:duration=" + length,
                    "-c:v",
                    "libx264",
                    "-pix_fmt",
                    "yuv420p",
                    "-c:a",
                    "aac",
                    "-output_ts_offset",
                    std::to_string(clock_start_s),
                    "-f",
                    "mpegts",
                    path})
        .ok;
}

int RunDamaged(int runs, double limit_s, const std::filesystem::path &folder)
{
    const auto file = [&](const char *name) { return (folder / name).string(); };
    std::printf("Making the transport streams (640x360 H.264 + AAC)...\n");
    if (!MakeRecording(file("a.ts"), 2, 0) || !MakeRecording(file("b.ts"), 2, 600)
        || !MakeRecording(file("whole2.ts"), 2, 0) || !MakeRecording(file("whole4.ts"), 4, 0)) {
        std::fprintf(stderr, "could not make the clips with ffmpeg\n");
        return 1;
    }
    const std::string a = ReadBytes(file("a.ts"));
    const std::string b = ReadBytes(file("b.ts"));
    // One sound packet of the second half 6.6 hours ahead.
    const std::string whole = ReadBytes(file("whole2.ts"));
    if (!WriteBytes(file("forward.ts"), a + b) || !WriteBytes(file("backward.ts"), b + a)
        || !WriteBytes(file("damaged.ts"),
                       dolmar_test::ShiftTransportClock(whole, whole.size() / 2,
                                                        int64_t{23760} * 90000,
                                                        dolmar_test::kTsAudioPid, 1))) {
        std::fprintf(stderr, "could not write the joined clips\n");
        return 1;
    }

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
    std::printf("%-12s %-7s %9s %10s %12s %8s\n", "input", "program", "wall s", "peak MiB",
                "duration s", "ended");
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
        for (int turn = 0; turn < 2; ++turn) {
            const bool engine_turn = turn == 0;
            std::vector<double> wall, peak, duration;
            bool ended = true;
            for (int run = 0; run < runs; ++run) {
                std::filesystem::remove(engine_turn ? engine_out : ffmpeg_out);
                const Measurement m = MeasureWithin(engine_turn ? engine : program, limit_s);
                ended = ended && m.ok;
                wall.push_back(m.wall_s);
                peak.push_back(m.peak_kib / 1024.0);
                duration.push_back(ProbedDuration(engine_turn ? engine_out : ffmpeg_out));
            }
            std::printf("%-12s %-7s %9.2f %10.1f %12.3f %8s\n", job.name,
                        engine_turn ? "ffmain" : "ffmpeg", Median(wall), Median(peak),
                        Median(duration), ended ? "yes" : "no");
            std::fflush(stdout);
        }
    }
    std::printf("\n(content: 2 s, 2 s, 4 s, 4 s, 4 s; a duration of -1 means no playable "
                "output; \"ended\" no means killed at the %.0f s limit or failed)\n",
                limit_s);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--engine-child") == 0)
        return RunEngineChild(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--damaged") == 0) {
        int runs = 3;
        double limit_s = 60;
        std::filesystem::path folder = std::filesystem::temp_directory_path() / "bench_engine";
        for (int i = 2; i + 1 < argc; i += 2) {
            const std::string option = argv[i];
            if (option == "--runs")
                runs = std::max(1, std::atoi(argv[i + 1]));
            else if (option == "--limit")
                limit_s = std::max(1.0, std::atof(argv[i + 1]));
            else if (option == "--folder")
                folder = argv[i + 1];
            else {
                std::fprintf(stderr, "unknown option %s\n", option.c_str());
                return 2;
            }
        }
        std::filesystem::create_directories(folder);
        return RunDamaged(runs, limit_s, folder);
    }

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
