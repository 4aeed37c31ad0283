// SPDX-License-Identifier: GPL-3.0-or-later
// bench_batch: a batch through the job pool and the engine (ffmain) in this process, as the
// driver runs it. A run counts only when every output has the streams and the duration it must
// have; a failed or wrong output ends the benchmark with exit status 1.
//
//   bench_batch --estimate [--jobs N] [--folder DIR]
//     A mixed batch (short and long, SD and HD, sound alone) with the time-left estimator
//     watching: the predicted total (time spent + time left) when 10, 25, 50 and 75 % of the
//     real run had passed, against the real end.
//
//   bench_batch --rule [--runs R] [--folder DIR]
//     For each kind of job (sound alone, SD, 720p to SD, 720p, 1080p), a few clips one at a time
//     and as many at once as the machine has processors, in turn: the wall times, medians of R,
//     and their ratio (below 1.00: running them together is faster). What the weights of
//     core/JobWeight.cpp are chosen from.
//
//   bench_batch --parallel [--files N] [--seconds S] [--runs R] [--folder DIR]
//     N 1080p files (default 4 of 6 s) with the automatic number of jobs against one at a time.

#include "BenchRuns.h"
#include "core/JobPool.h"
#include "core/JobWeight.h"
#include "core/TimeLeftEstimator.h"
#include "dolmar.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using quillet::JobPool;
using quillet::JobRun;

double Now()
{
    // steady_clock is CLOCK_MONOTONIC: what the driver's estimate reads.
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

/// One file of a batch: how it is made, how it is converted, what must come out.
struct Item
{
    std::string name;
    double seconds = 0;
    std::string source_size; ///< the clip's picture
    std::string out_size; ///< the output picture; empty: sound alone
    std::string extension;
    std::string input;
    std::string output;

    bool Sound() const { return out_size.empty(); }
    static int Width(const std::string &size) { return std::atoi(size.c_str()); }
    static int Height(const std::string &size)
    {
        const auto x = size.find('x');
        return x == std::string::npos ? 0 : std::atoi(size.c_str() + x + 1);
    }

    std::vector<std::string> Args() const
    {
        if (Sound())
            return {"ffmain", "-i", input, "-vn", "-acodec", "mp3", "-ab", "192", output};
        return {"ffmain",  "-i",  input, "-s",  out_size, "-vcodec", "h264",
                "-acodec", "aac", "-ab", "128", "-b",     "0",       output};
    }
    bench::Expected Expect() const
    {
        bench::Expected e;
        e.duration_s = seconds;
        e.tolerance_s = 0.15;
        e.audio_codec = Sound() ? "mp3" : "aac";
        if (!Sound()) {
            e.video_codec = "h264";
            e.width = Width(out_size);
            e.height = Height(out_size);
        }
        return e;
    }
    double Cores(int machine) const
    {
        const double source = double(Width(source_size)) * Height(source_size);
        return quillet::CoresPerJob(Sound() ? 0 : double(Width(out_size)) * Height(out_size),
                                    Sound() ? 0 : source, machine);
    }
    quillet::TimedTask Timed(int machine) const
    {
        quillet::TimedTask task;
        task.media_s = seconds;
        task.kind.codec = Sound() ? "mp3" : "h264";
        task.kind.width = Sound() ? 0 : Width(out_size);
        task.kind.height = Sound() ? 0 : Height(out_size);
        task.cores = Cores(machine);
        return task;
    }
};

Item Clip(std::string name, double seconds, std::string source_size, std::string out_size,
          std::string extension)
{
    Item item;
    item.name = std::move(name);
    item.seconds = seconds;
    item.source_size = std::move(source_size);
    item.out_size = std::move(out_size);
    item.extension = std::move(extension);
    return item;
}

/// The machine's load (its first three figures), which the figures of a shared machine need.
std::string Load()
{
    std::FILE *file = std::fopen("/proc/loadavg", "r");
    char text[64] = {};
    if (file) {
        if (!std::fgets(text, sizeof text, file))
            text[0] = 0;
        std::fclose(file);
    }
    std::string load(text);
    std::size_t end = 0;
    for (int fields = 0; fields < 3 && end != std::string::npos; ++fields)
        end = load.find(' ', end + 1);
    return load.substr(0, end);
}

bool Fail(const std::string &what)
{
    std::fprintf(stderr, "bench_batch: %s\n", what.c_str());
    return false;
}

bool MakeSources(std::vector<Item> &items, const std::filesystem::path &folder)
{
    std::filesystem::create_directories(folder);
    for (Item &item : items) {
        item.input = (folder / (item.name + ".mp4")).string();
        item.output = (folder / (item.name + "-out." + item.extension)).string();
        if (std::filesystem::exists(item.input))
            continue;
        std::printf("Making %s (%.0f s %s)...\n", item.name.c_str(), item.seconds,
                    item.source_size.c_str());
        std::fflush(stdout);
        if (!bench::MakeClip(item.input, item.seconds, item.source_size,
                             {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt",
                              "yuv420p", "-c:a", "aac", "-b:a", "192k"}))
            return Fail("cannot make " + item.input);
    }
    return true;
}

struct BatchRun
{
    double wall_s = 0;
    double cpu_s = 0;
    bool ok = false;
    /// (seconds since the start, predicted total) at every pump with an estimate
    std::vector<std::pair<double, double>> predictions;
};

/// Converts items through the pool; jobs 0: the automatic number.
BatchRun Convert(const std::vector<Item> &items, int jobs, bool watch)
{
    const int machine = quillet::AvailableCores();
    for (const Item &item : items)
        std::filesystem::remove(item.output);
    std::vector<quillet::TimedTask> timed;
    timed.reserve(items.size());
    for (const Item &item : items)
        timed.push_back(item.Timed(machine));
    const double start = Now();
    const double cpu_start = CpuSeconds();
    quillet::TimeLeftEstimator estimate(timed, start);
    BatchRun run;
    run.ok = true;

    JobPool pool(ffmain, {jobs, machine});
    JobPool::Hooks hooks;
    hooks.cores = [&](std::size_t i) { return items[i].Cores(machine); };
    hooks.start = [&](std::size_t i) {
        estimate.Started(i, Now());
        return std::optional<quillet::PoolJob>(quillet::PoolJob{items[i].Args(), 0});
    };
    hooks.pump = [&](const std::vector<quillet::JobPosition> &running) {
        const double now = Now();
        estimate.Update(now, running);
        if (const auto left = estimate.SecondsLeft(); watch && left)
            run.predictions.emplace_back(now - start, now - start + *left);
        return false;
    };
    hooks.ended = [&](std::size_t i, const JobRun &ran) {
        estimate.Ended(i, Now(), ran.result == DOLMAR_OK);
    };
    hooks.finish = [&](std::size_t i, const JobRun &ran) {
        if (ran.result != DOLMAR_OK)
            run.ok = Fail(items[i].name + " failed: " + ran.message);
        else if (const std::string wrong
                 = bench::Mismatch(bench::Probe(items[i].output), items[i].Expect());
                 !wrong.empty())
            run.ok = Fail(items[i].name + " made " + wrong);
    };
    // The outputs are checked after the clock stops: ffprobe is not part of a batch.
    auto check = hooks.finish;
    std::vector<std::pair<std::size_t, JobRun>> finished;
    hooks.finish = [&](std::size_t i, const JobRun &ran) { finished.emplace_back(i, ran); };
    pool.Run(items.size(), hooks);
    run.wall_s = Now() - start;
    run.cpu_s = CpuSeconds() - cpu_start;
    for (const auto &[i, ran] : finished)
        check(i, ran);
    return run;
}

struct Options
{
    int runs = 3;
    int jobs = 0;
    int files = 4;
    double seconds = 6;
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "bench_batch";
};

int Estimate(const Options &options)
{
    // Short and long, SD and HD, sound alone, in an order that meets each kind early and late.
    std::vector<Item> items{
        Clip("sd-short", 3, "640x480", "640x480", "mp4"),
        Clip("hd-long", 24, "1280x720", "1280x720", "mp4"),
        Clip("sound-long", 60, "320x240", "", "mp3"),
        Clip("hd-to-sd", 12, "1280x720", "640x480", "mp4"),
        Clip("sd-long", 20, "640x480", "640x480", "mp4"),
        Clip("hd-short", 4, "1280x720", "1280x720", "mp4"),
        Clip("sound-short", 8, "320x240", "", "mp3"),
        Clip("sd-mid", 8, "640x480", "640x480", "mp4"),
        Clip("hd-mid", 10, "1280x720", "1280x720", "mp4"),
        Clip("hd-to-sd-short", 3, "1280x720", "640x480", "mp4"),
    };
    if (!MakeSources(items, options.folder))
        return 1;
    std::printf("Converting %zu files, %s jobs, on %d processors, load %s...\n", items.size(),
                options.jobs ? std::to_string(options.jobs).c_str() : "automatic",
                quillet::AvailableCores(), Load().c_str());
    std::fflush(stdout);
    const BatchRun run = Convert(items, options.jobs, true);
    if (!run.ok)
        return 1;
    std::printf("real end %.2f s (CPU %.2f s), load %s\n", run.wall_s, run.cpu_s, Load().c_str());
    std::printf("%-8s %-10s %-10s %-8s\n", "at", "elapsed", "predicted", "error");
    for (const double share : {0.10, 0.25, 0.50, 0.75}) {
        const double at = share * run.wall_s;
        const std::pair<double, double> *found = nullptr;
        for (const auto &prediction : run.predictions)
            if (prediction.first <= at)
                found = &prediction;
        if (!found) {
            std::printf("%3.0f %%    no estimate yet\n", share * 100);
            continue;
        }
        std::printf("%3.0f %%    %6.2f s   %6.2f s   %+5.1f %%\n", share * 100, found->first,
                    found->second, (found->second / run.wall_s - 1) * 100);
    }
    return 0;
}

/// items one at a time against jobs at once, in turn, runs times each.
bool Compare(const char *label, const std::vector<Item> &items, int jobs, int runs)
{
    std::vector<double> alone, together, cpu_alone, cpu_together;
    for (int r = 0; r < runs; ++r) {
        const BatchRun one = Convert(items, 1, false);
        const BatchRun many = Convert(items, jobs, false);
        if (!one.ok || !many.ok)
            return Fail(std::string(label) + ": a run failed");
        alone.push_back(one.wall_s);
        together.push_back(many.wall_s);
        cpu_alone.push_back(one.cpu_s);
        cpu_together.push_back(many.cpu_s);
    }
    const double a = bench::Median(alone), t = bench::Median(together);
    std::printf("%-22s one at a time %6.2f s (CPU %6.2f)  together %6.2f s (CPU %6.2f)  "
                "ratio %.2f\n",
                label, a, bench::Median(cpu_alone), t, bench::Median(cpu_together), t / a);
    std::fflush(stdout);
    return true;
}

int Rule(const Options &options)
{
    const int machine = quillet::AvailableCores();
    struct Kind
    {
        const char *label;
        int count;
        double seconds;
        const char *source;
        const char *out;
        const char *extension;
    };
    const Kind kinds[] = {
        {"sound alone", 4, 20, "320x240", "", "mp3"},
        {"SD to SD", 4, 4, "640x480", "640x480", "mp4"},
        {"720p to SD", 4, 3, "1280x720", "640x480", "mp4"},
        {"720p to 720p", 2, 4, "1280x720", "1280x720", "mp4"},
        {"1080p to 1080p", 2, 3, "1920x1080", "1920x1080", "mp4"},
    };
    std::printf("%d processors, load %s; medians of %d runs\n", machine, Load().c_str(),
                options.runs);
    for (const Kind &kind : kinds) {
        std::vector<Item> items;
        items.reserve(kind.count);
        for (int i = 0; i < kind.count; ++i)
            items.push_back(Clip(std::string(kind.label).substr(0, 4) + "-" + kind.source + "-"
                                     + kind.out + "-" + std::to_string(i),
                                 kind.seconds + i % 2, kind.source, kind.out, kind.extension));
        for (Item &item : items)
            for (char &c : item.name)
                if (c == ' ')
                    c = '_';
        if (!MakeSources(items, options.folder))
            return 1;
        if (!Compare(kind.label, items, machine, options.runs))
            return 1;
    }
    return 0;
}

int Parallel(const Options &options)
{
    std::vector<Item> items;
    items.reserve(options.files);
    for (int i = 0; i < options.files; ++i)
        items.push_back(
            Clip("fullhd-" + std::to_string(i), options.seconds, "1920x1080", "1920x1080", "mp4"));
    if (!MakeSources(items, options.folder))
        return 1;
    const int machine = quillet::AvailableCores();
    std::printf("%d processors; %d 1080p files of %.0f s; automatic jobs: %.0f processors "
                "each\n",
                machine, options.files, options.seconds, items[0].Cores(machine));
    if (machine < 8)
        std::printf("(the target, 1.5 times as fast, is for 8 processors or more)\n");
    return Compare("1080p batch", items, options.jobs, options.runs) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: bench_batch --estimate|--rule|--parallel [--jobs N] "
                     "[--runs R] [--files N] [--seconds S] [--folder DIR]\n");
        return 2;
    }
    Options options;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--jobs") == 0)
            options.jobs = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--runs") == 0)
            options.runs = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--files") == 0)
            options.files = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--seconds") == 0)
            options.seconds = std::atof(argv[i + 1]);
        else if (std::strcmp(argv[i], "--folder") == 0)
            options.folder = argv[i + 1];
    }
    VCInit();
    int result = 2;
    if (std::strcmp(argv[1], "--estimate") == 0)
        result = Estimate(options);
    else if (std::strcmp(argv[1], "--rule") == 0)
        result = Rule(options);
    else if (std::strcmp(argv[1], "--parallel") == 0)
        result = Parallel(options);
    VCExit();
    return result;
}
