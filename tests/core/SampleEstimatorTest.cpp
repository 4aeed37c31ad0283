// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/SampleEstimator.h"

#include "core/ArgumentBuilder.h"
#include "core/MediaProbe.h"
#include "core/ProfileApplier.h"
#include "core/SampleFolder.h"
#include "core/SizeModel.h"

#include "MediaFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <utime.h>

#include <cstdlib>
#include <fstream>

using namespace quillet;
using namespace quillet::sizing;

namespace {

/// A 600 s task with quality-based H.264 video (-crf) and 128 kbit/s of AAC, into MP4.
std::unique_ptr<Task> QualityTask()
{
    auto task = std::make_unique<Task>();
    task->source_path = "/in/film.mkv";
    task->destination_path = "/out/film.mp4";
    StreamInfo **slot = task->streams.Receive();
    *slot = static_cast<StreamInfo *>(std::calloc(2, sizeof(StreamInfo)));
    (*slot)[0].kind = DOLMAR_KIND_VIDEO;
    (*slot)[1].kind = DOLMAR_KIND_AUDIO;
    task->context = {};
    task->context.stream_count = 2;
    task->context.audio_stream_count = 1;
    task->context.video_stream_index = 0;
    task->context.duration_us = 600000000;
    task->audio_tracks.push_back({0, 1, {}});
    task->source_width = 640;
    task->source_height = 360;
    ProfileRecord &r = task->settings;
    r.TargetType = "mp4";
    r.cVideoCodec = "h264";
    r.cAudioCodec = "aac";
    r.Para = "-crf 23 -fs";
    r.bAudioCustomBitRate = 1;
    r.nAudioCustomBitRate = 128;
    return task;
}

/// Stands in for the engine: writes, for each run, what the model knows of its shape plus
/// 50000 bytes a second of quality-based video, reporting progress as it goes.
struct FakeEngine
{
    explicit FakeEngine(OutputShape known_part)
        : known(std::move(known_part))
    { }

    OutputShape known; ///< the task's shape without its quality-based video
    std::vector<std::pair<double, double>> runs; ///< -ss and -t of each run
    std::vector<std::string> vectors; ///< each run's arguments
    int fail_at_run = -1;

    int operator()(int argc, char **argv, ProgressCallback report)
    {
        const std::vector<std::string> args(argv, argv + argc);
        std::string joined;
        for (const auto &a : args)
            joined += a + " ";
        vectors.push_back(joined);
        double ss = -1, t = -1;
        std::string output;
        for (std::size_t i = 0; i + 1 < args.size(); ++i) {
            if (args[i] == "-ss")
                ss = std::atof(args[i + 1].c_str());
            if (args[i] == "-t")
                t = std::atof(args[i + 1].c_str());
        }
        for (const auto &a : args)
            if (a.find(SampleFolder::kPrefix) != std::string::npos)
                output = a;
        runs.emplace_back(ss, t);
        if (static_cast<int>(runs.size()) - 1 == fail_at_run) {
            report("Could not open the input file.", -1.0);
            return DOLMAR_FAILED;
        }
        std::ofstream(output) << "header";
        for (double at = 0; at <= t; at += 0.25)
            if (report("", at) != 0)
                return DOLMAR_STOPPED;
        OutputShape shape = known;
        shape.duration_s = t;
        std::filesystem::resize_file(
            output, static_cast<std::uintmax_t>(EstimateSize(shape).Total() + 50000 * t));
        return DOLMAR_OK;
    }
};

OutputShape KnownPart(const Task &task)
{
    OutputShape shape = ShapeOf(task);
    shape.video.kbps = 0;
    return shape;
}

bool IsEmpty(const std::filesystem::path &folder)
{
    return std::filesystem::directory_iterator(folder) == std::filesystem::directory_iterator();
}

} // namespace

TEST(SampleEstimator, spreadsItsSamplesOverTheSource)
{
    struct Case
    {
        double seconds;
        std::vector<SampleWindow> windows;
    };
    const Case cases[] = {
        {600, {{99.5, 1}, {299, 2}, {498.5, 3}}},
        {60, {{9.75, 0.5}, {29.5, 1}, {49.25, 1.5}}},
        {5, {{0, 5}}},
        {0, {}},
    };
    for (const auto &c : cases) {
        const auto windows = SampleEstimator::WindowsFor(c.seconds, {});
        ASSERT_EQ(windows.size(), c.windows.size()) << c.seconds;
        for (std::size_t i = 0; i < windows.size(); ++i) {
            EXPECT_NEAR(windows[i].start_s, c.windows[i].start_s, 1e-9) << c.seconds;
            EXPECT_NEAR(windows[i].length_s, c.windows[i].length_s, 1e-9) << c.seconds;
        }
    }
}

TEST(SampleEstimator, extrapolatesWhatTheSamplesMeasuredWithinTheTrimmedRange)
{
    test::TempDir dir;
    auto task = QualityTask();
    task->trim_start = {100000000, 0};
    task->trim_end = {400000000, 0};
    FakeEngine fake(KnownPart(*task));
    SampleEstimator estimator(std::ref(fake), {.folder = dir.path()});
    const SampleResult result = estimator.Estimate(*task);

    ASSERT_EQ(result.status, SampleResult::Status::Measured) << result.error;
    OutputShape whole = KnownPart(*task);
    // Within the bytes lost to whole-byte sample files.
    EXPECT_NEAR(result.bytes, EstimateSize(whole).Total() + 50000 * 300.0, 100);
    EXPECT_NEAR(result.video_kbps, 400, 0.01);
    EXPECT_DOUBLE_EQ(result.sampled_s, 6);
    // Within the trimmed 100 to 400 s, in place of the task's own trim points.
    ASSERT_EQ(fake.runs.size(), 3u);
    EXPECT_DOUBLE_EQ(fake.runs[0].first, 149.5);
    EXPECT_DOUBLE_EQ(fake.runs[2].first, 348.5);
    for (const auto &v : fake.vectors) {
        EXPECT_EQ(v.find("-ss"), v.rfind("-ss")) << v;
        EXPECT_EQ(v.find("-fs 0 "), v.rfind("-fs")) << v; // no size limit on a sample
    }
    EXPECT_EQ(task->destination_path, "/out/film.mp4");
    EXPECT_TRUE(IsEmpty(dir.path()));

    PlanTask plan = PlanTaskOf(*task);
    ApplySample(plan, result);
    EXPECT_DOUBLE_EQ(plan.natural_kbps, result.video_kbps);
    EXPECT_NEAR(plan.complexity, 400 / KbpsForBitsPerPixel(plan.shape, 0.10), 1e-4);
}

TEST(SampleEstimator, leavesNoFileWhenCancelledOrFailed)
{
    test::TempDir dir;
    auto task = QualityTask();

    FakeEngine cancelled(KnownPart(*task));
    SampleEstimator first(std::ref(cancelled), {.folder = dir.path()});
    const SampleResult stop = first.Estimate(*task, [](double share) { return share < 0.5; });
    EXPECT_EQ(stop.status, SampleResult::Status::Cancelled);
    EXPECT_EQ(cancelled.runs.size(), 2u);
    EXPECT_TRUE(IsEmpty(dir.path()));

    FakeEngine failing(KnownPart(*task));
    failing.fail_at_run = 1;
    SampleEstimator second(std::ref(failing), {.folder = dir.path()});
    const SampleResult failed = second.Estimate(*task);
    EXPECT_EQ(failed.status, SampleResult::Status::Failed);
    EXPECT_EQ(failed.error, "Could not open the input file.");
    EXPECT_TRUE(IsEmpty(dir.path()));
}

TEST(SampleEstimator, removesWhatAKilledEstimateLeftButNotARunningOnesFolder)
{
    test::TempDir dir;
    const auto left = dir.path() / (std::string(SampleFolder::kPrefix) + "killed");
    const auto running = dir.path() / (std::string(SampleFolder::kPrefix) + "running");
    for (const auto &folder : {left, running}) {
        test::WriteFile(folder / "sample-0.mp4", "partial");
        const utimbuf old{1000, 1000};
        ::utime(folder.c_str(), &old);
    }
    const int held = ::open(running.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);

    auto task = QualityTask();
    FakeEngine fake(KnownPart(*task));
    SampleEstimator estimator(std::ref(fake), {.folder = dir.path()});
    EXPECT_EQ(estimator.Estimate(*task).status, SampleResult::Status::Measured);
    EXPECT_FALSE(std::filesystem::exists(left));
    EXPECT_TRUE(std::filesystem::exists(running / "sample-0.mp4"));
    ::close(held);
}

// The estimate of quality-based profiles against what the engine really makes of the whole
// source: within the 20 % it promises on a moving picture. A still slide show is harder: a second
// of its film costs a picture change or none, and three short samples catch too few of them to
// say which (on 40 s they come out 25 to 45 % high; on 90 s within 20 %); the bound there keeps
// the estimate from the 70 to 80 % too high that equal samples gave before their start cost was
// told apart.
TEST(SampleOnEngine, estimatesQualityBasedOutputsFromThreeSamples)
{
    test::TempDir dir;
    test::ClipRecipe recipe;
    recipe.seconds = 40;
    recipe.width = 480;
    recipe.height = 270;
    recipe.sample_rate = 48000;
    const auto moving = test::MakeClip(dir.path() / "moving.mkv", recipe);
    // A new picture every 3 s, each kept as it is.
    recipe.video_codec = "libx264";
    recipe.output_options = {"-vf", "fps=1/3,fps=25", "-preset", "ultrafast", "-qp", "10"};
    const auto still = test::MakeClip(dir.path() / "still.mkv", recipe);

    struct Profile
    {
        const char *name;
        const char *extension;
        const char *video_codec;
        const char *para;
    };
    const Profile profiles[] = {{"H.264 at constant quality", "mp4", "h264", "-crf 26"},
                                {"MPEG-4 at its quantiser", "avi", "mpeg4", ""}};
    struct SilentPrompter : Prompter
    {
        void Tell(std::string_view, std::string_view, Icon) override { }
        bool Ask(std::string_view, std::string_view) override { return false; }
    } prompter;
    const BuiltInTexts texts;
    const std::string out_folder = (dir.path() / "out").string() + "/";
    std::filesystem::create_directories(out_folder);
    const std::pair<std::filesystem::path, double> sources[] = {{moving, 0.2}, {still, 0.5}};
    for (const auto &[clip, tolerance] : sources) {
        for (const Profile &p : profiles) {
            SCOPED_TRACE(clip.filename().string() + ", " + p.name);
            auto task = CreateTask(clip.string(), 0, -1, -1, texts, prompter);
            ProfileRecord record;
            record.TargetType = p.extension;
            record.cVideoCodec = p.video_codec;
            record.cAudioCodec = "auto";
            record.Para = p.para;
            record.bAudioCustomBitRate = 1;
            record.nAudioCustomBitRate = 96;
            ApplyProfile(*task, record, ApplyPath::AddFile,
                         {out_folder, [](const std::string &) { return false; }});

            SampleEstimator estimator(ffmain, {.folder = dir.path()});
            const SampleResult estimate = estimator.Estimate(*task);
            ASSERT_EQ(estimate.status, SampleResult::Status::Measured) << estimate.error;

            BuildContext context;
            context.split_choice = "No split";
            const BuildResult built = BuildTaskArguments(*task, context);
            ASSERT_TRUE(built.Ok());
            ArgumentVector args = built.args;
            ASSERT_EQ(ffmain(static_cast<int>(args.Count()), args.Argv().data(), nullptr),
                      DOLMAR_OK);
            const double real = static_cast<double>(std::filesystem::file_size(built.output_path));
            EXPECT_NEAR(estimate.bytes / real, 1.0, tolerance)
                << "estimate " << estimate.bytes << ", real " << real;
            std::printf("[ %s, %s ] estimate %.0f, real %.0f (%+.1f %%)\n", clip.filename().c_str(),
                        p.name, estimate.bytes, real, (estimate.bytes / real - 1) * 100);
            std::filesystem::remove(built.output_path);
        }
    }
}
