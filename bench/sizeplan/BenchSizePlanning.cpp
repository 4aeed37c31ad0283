// SPDX-License-Identifier: GPL-3.0-or-later
// What size planning adds to a batch's conversion time.
//
//   bench_size_planning [files] [seconds...]     (default 50 files; clips of 30, 60 and 120 s)
//
// 1. The model and the plan of a batch of `files` DVD tasks onto BD-50, with a re-plan after every
//    output as a run makes them: the time per batch (no media).
// 2. The driver's budget of the same batch (RunBudget: the scope, every task's plan and size
//    target read from its profile file, a re-plan after each output), against converting it.
// 3. What meeting a planned rate costs: one 20 s clip made with the HD DivX profile at a lowered
//    rate in one pass and in the two passes a plan asks for.
// 4. The sample estimate of a quality-based profile (H.264 at -crf 23, 640x360) on generated
//    clips of the given lengths, against converting each clip whole: the sample's share of the
//    conversion, which is what a batch of such files pays for its estimates.
#include "core/ArgumentBuilder.h"
#include "core/DiscBudget.h"
#include "core/MediaProbe.h"
#include "core/ProfileApplier.h"
#include "core/ProfileFile.h"
#include "core/RunBudget.h"
#include "core/SampleEstimator.h"
#include "core/SampleFolder.h"
#include "core/SizeModel.h"
#include "core/TwoPassRun.h"

#include "MediaFixtures.h"
#include "TempDir.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace quillet;
using namespace quillet::sizing;
using Clock = std::chrono::steady_clock;

namespace {

struct SilentPrompter : Prompter
{
    void Tell(std::string_view, std::string_view, Icon) override { }
    bool Ask(std::string_view, std::string_view) override { return false; }
};

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

/// A probed task of the kind a folder of films gives: its length, picture and sound vary.
std::unique_ptr<Task> FakeFilm(int i)
{
    auto task = std::make_unique<Task>();
    task->source_path = "/films/film" + std::to_string(i) + ".mkv";
    task->destination_path = "/out/film" + std::to_string(i) + ".vob";
    StreamInfo **slot = task->streams.Receive();
    *slot = static_cast<StreamInfo *>(std::calloc(2, sizeof(StreamInfo)));
    (*slot)[0].kind = DOLMAR_KIND_VIDEO;
    std::snprintf((*slot)[0].description, sizeof(*slot)[0].description,
                  "Video: h264 (High), 1280x720, %s fps, 4000 kb/s", i % 3 ? "25" : "23.98");
    (*slot)[1].kind = DOLMAR_KIND_AUDIO;
    std::snprintf((*slot)[1].description, sizeof(*slot)[1].description,
                  "Audio: ac3, 48000 Hz, %s, 448 kb/s [eng]", i % 2 ? "stereo" : "5.1(side)");
    task->context.stream_count = 2;
    task->context.audio_stream_count = 1;
    task->context.video_stream_index = 0;
    task->context.duration_us = static_cast<int64_t>((600 + 97 * (i % 37)) * 1e6);
    task->audio_tracks.push_back({0, 1, {}});
    task->source_width = 1280;
    task->source_height = 720;
    ProfileRecord &r = task->settings;
    r.profile_path = QUILLET_SOURCE_DIR "/resources/ini/paldvd.ini";
    r.section_name = "PAL DVD Video (720x576)";
    r.TargetType = "vob";
    r.Para = "-g 18 -bf 2 -maxrate 9000 -bufsize 1835 -threads 0 -f dvd -fs";
    r.cVideoCodec = "mpeg2video";
    r.cAudioCodec = "ac3";
    r.bAudioCustomBitRate = 1;
    r.nAudioCustomBitRate = 448;
    r.nVideoRiszeOption = 8;
    r.estimated_video_bit_rate = 5062;
    return task;
}

void PlanCost(int files)
{
    std::vector<std::unique_ptr<Task>> tasks;
    tasks.reserve(static_cast<std::size_t>(files));
    for (int i = 0; i < files; ++i)
        tasks.push_back(FakeFilm(i));
    const double capacity = CapacityOf("BD-50 (50GB)", 0)->bytes;
    const int rounds = 200;
    const auto started = Clock::now();
    double planned = 0;
    for (int round = 0; round < rounds; ++round) {
        std::vector<PlanTask> plan_tasks;
        plan_tasks.reserve(tasks.size());
        for (const auto &task : tasks)
            plan_tasks.push_back(PlanTaskOf(*task));
        DiscBudget budget(std::move(plan_tasks), capacity);
        planned += budget.Plan().planned_bytes;
        // A run tells the budget of every output; each comes out 2 % over its plan.
        for (int i = 0; i < files; ++i)
            budget.OutputFinished(static_cast<std::size_t>(i),
                                  budget.Plan().tasks[static_cast<std::size_t>(i)].bytes * 1.02);
    }
    const double per_batch = Seconds(Clock::now() - started) / rounds;
    std::printf("model and plan of %d DVD films onto BD-50, re-planned after each output: %.2f ms "
                "a batch (%.1f us a file; planned %.2f GB)\n",
                files, per_batch * 1e3, per_batch * 1e6 / files,
                planned / rounds / kSplitMegabyteBytes / 1000);
}

struct BudgetFigures
{
    double per_batch_s = 0;
    double media_s = 0;
};

/// The budget as the driver makes it before a run and tells it after each output.
BudgetFigures BudgetCost(int files)
{
    TaskList tasks;
    double media_s = 0;
    for (int i = 0; i < files; ++i) {
        auto task = FakeFilm(i);
        media_s += static_cast<double>(task->context.duration_us) * 1e-6;
        tasks.Add(std::move(task));
    }
    const ProfileRecord &current = tasks.Get(0)->settings;
    const int rounds = 50;
    const auto started = Clock::now();
    for (int round = 0; round < rounds; ++round) {
        RunBudget budget = RunBudget::ForEach(tasks, {"BD-50 (50GB)", 0, &current, true});
        for (int i = 0; i < files; ++i) {
            const auto plan = budget.PlanOf(static_cast<std::size_t>(i));
            budget.OutputFinished(static_cast<std::size_t>(i), plan ? plan->bytes * 1.02 : 0);
        }
    }
    const double per_batch = Seconds(Clock::now() - started) / rounds;
    std::printf("driver's budget of %d DVD films onto BD-50 (profiles read, re-planned after each "
                "output): %.2f ms a batch, for %.0f h of film\n",
                files, per_batch * 1e3, media_s / 3600);
    return {per_batch, media_s};
}

/// One clip with HD DivX at a lowered rate, in one pass and in two: the second's share of the
/// first.
double TwoPassCost()
{
    test::TempDir dir;
    test::ClipRecipe recipe;
    recipe.seconds = 20;
    recipe.width = 640;
    recipe.height = 360;
    const auto clip = test::MakeClip(dir.path() / "clip.mkv", recipe);
    const BuiltInTexts texts;
    SilentPrompter prompter;
    auto task = CreateTask(clip.string(), 0, -1, -1, texts, prompter);
    const std::string ini = QUILLET_SOURCE_DIR "/resources/ini/hd_divxavi.ini";
    ProfileRecord record;
    ProfileFile::Read("HD DivX AVI (1280x720)", record, ini);
    record.profile_path = ini;
    const std::string out = (dir.path() / "out").string() + "/";
    std::filesystem::create_directories(out);
    ApplyProfile(*task, record, ApplyPath::AddFile,
                 {out, [](const std::string &) { return false; }});
    BuildContext context;
    context.split_choice = "No split";
    const BuildResult built = BuildTaskArguments(*task, context);
    double wall[2] = {0, 0};
    for (int passes = 1; passes <= 2; ++passes) {
        std::vector<std::string> args = built.args.Entries();
        SetVideoRate(args, 2500, built.engine_output_path);
        SampleFolder folder(dir.path());
        if (passes == 2)
            AskTwoPasses(args, built.engine_output_path, (folder.Path() / "passes").string());
        std::vector<char *> argv;
        argv.reserve(args.size() + 1);
        for (auto &arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        const auto started = Clock::now();
        TwoPassEngine(ffmain)(static_cast<int>(args.size()), argv.data(), nullptr);
        wall[passes - 1] = Seconds(Clock::now() - started);
    }
    std::printf("20 s 640x360 into HD DivX at 2500 kbit/s: one pass %.2f s, two passes %.2f s "
                "(x%.2f); %.2f s of work a second of film in two passes\n",
                wall[0], wall[1], wall[1] / wall[0], wall[1] / recipe.seconds);
    return wall[1] / recipe.seconds;
}

void SampleCost(const std::vector<double> &lengths)
{
    test::TempDir dir;
    const BuiltInTexts texts;
    SilentPrompter prompter;
    double sample_total = 0;
    double convert_total = 0;
    std::printf("%8s %12s %12s %10s %12s %12s %8s\n", "clip", "sample s", "convert s", "share",
                "estimate", "real", "error");
    for (const double seconds : lengths) {
        test::ClipRecipe recipe;
        recipe.seconds = seconds;
        recipe.width = 640;
        recipe.height = 360;
        recipe.video_codec = "libx264";
        recipe.output_options = {"-preset", "ultrafast", "-crf", "18"};
        const auto clip
            = test::MakeClip(dir.path() / ("clip" + std::to_string(int(seconds)) + ".mkv"), recipe);
        auto task = CreateTask(clip.string(), 0, -1, -1, texts, prompter);
        ProfileRecord record;
        record.TargetType = "mp4";
        record.cVideoCodec = "h264";
        record.cAudioCodec = "aac";
        record.Para = "-crf 23 -movflags +faststart";
        record.bAudioCustomBitRate = 1;
        record.nAudioCustomBitRate = 128;
        const std::string out = (dir.path() / "out").string() + "/";
        std::filesystem::create_directories(out);
        ApplyProfile(*task, record, ApplyPath::AddFile,
                     {out, [](const std::string &) { return false; }});

        SampleEstimator estimator(ffmain, {.folder = dir.path()});
        const SampleResult estimate = estimator.Estimate(*task);

        BuildContext context;
        context.split_choice = "No split";
        const BuildResult built = BuildTaskArguments(*task, context);
        ArgumentVector args = built.args;
        const auto started = Clock::now();
        const int rc = ffmain(static_cast<int>(args.Count()), args.Argv().data(), nullptr);
        const double convert_s = Seconds(Clock::now() - started);
        const double real = rc == DOLMAR_OK
            ? static_cast<double>(std::filesystem::file_size(built.output_path))
            : 0;
        std::printf("%7.0fs %12.2f %12.2f %9.1f%% %12.0f %12.0f %+7.1f%%\n", seconds,
                    estimate.wall_s, convert_s, estimate.wall_s / convert_s * 100, estimate.bytes,
                    real, (estimate.bytes / real - 1) * 100);
        sample_total += estimate.wall_s;
        convert_total += convert_s;
        std::filesystem::remove(built.output_path);
        std::filesystem::remove(clip);
    }
    std::printf("samples together: %.1f %% of the conversions\n",
                sample_total / convert_total * 100);
}

} // namespace

int main(int argc, char **argv)
{
    const int files = argc > 1 ? std::atoi(argv[1]) : 50;
    VCInit(); // FFmpeg's own log kept to errors, as in the program
    std::vector<double> lengths;
    for (int i = 2; i < argc; ++i)
        lengths.push_back(std::atof(argv[i]));
    if (lengths.empty())
        lengths = {30, 60, 120};
    PlanCost(files);
    const BudgetFigures budget = BudgetCost(files);
    const double two_pass_per_s = TwoPassCost();
    std::printf("the budget: %.6f %% of converting those films in two passes at that speed\n",
                budget.per_batch_s / (budget.media_s * two_pass_per_s) * 100);
    SampleCost(lengths);
    return 0;
}
