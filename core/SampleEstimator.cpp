// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/SampleEstimator.h"

#include "core/ArgumentBuilder.h"
#include "core/RateLimits.h"
#include "core/SampleFolder.h"
#include "core/SizeModel.h"
#include "core/SplitPresets.h"
#include "platform/NumberText.h"

#include <algorithm>
#include <chrono>

namespace quillet::sizing {

namespace {

// The engine's progress report is a plain C function: it finds the running estimate here.
thread_local SampleEstimator *g_sampling = nullptr;

/// The bytes of shape over seconds that the model knows: everything but its quality-based
/// streams.
double KnownBytes(OutputShape shape, double seconds)
{
    shape.duration_s = seconds;
    if (shape.video.kind == RateKind::QualityBased)
        shape.video.kbps = 0;
    for (auto &track : shape.audio)
        if (track.kind == RateKind::QualityBased)
            track.kbps = 0;
    return EstimateSize(shape).Total();
}

struct StartAndRate
{
    double start = 0; ///< bytes every encode pays once
    double per_s = 0; ///< bytes a second
};

/// Least squares of bytes = start + per_s x length over the samples. Content that differs from
/// place to place can make the fit say nonsense (a negative start or rate): then the samples'
/// plain bytes a second, with no start of its own.
StartAndRate FitStartAndRate(const std::vector<double> &lengths, const std::vector<double> &bytes)
{
    const double n = static_cast<double>(lengths.size());
    double sum_l = 0, sum_b = 0;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        sum_l += lengths[i];
        sum_b += bytes[i];
    }
    const StartAndRate plain{0, sum_l > 0 ? sum_b / sum_l : 0};
    if (lengths.size() < 2)
        return plain;
    double var = 0, cov = 0;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        var += (lengths[i] - sum_l / n) * (lengths[i] - sum_l / n);
        cov += (lengths[i] - sum_l / n) * (bytes[i] - sum_b / n);
    }
    if (!(var > 0))
        return plain;
    const StartAndRate fit{sum_b / n - cov / var * sum_l / n, cov / var};
    return fit.start >= 0 && fit.per_s >= 0 ? fit : plain;
}

/// The engine vector of one sample: the task's own, its trim points replaced by the window's.
std::vector<std::string> SampleArguments(const Task &task, std::vector<std::string> args,
                                         double from_s, double length_s)
{
    auto at = args.begin() + 1;
    // The builder writes a task's trim points first, right after "ffmain".
    if (task.trim_start.IsSet() && args.end() - at >= 2 && *at == "-ss")
        at = args.erase(at, at + 2);
    if (task.trim_end.IsSet() && args.end() - at >= 2 && *at == "-t")
        at = args.erase(at, at + 2);
    args.insert(
        at, {"-ss", platform::FormatFixed(from_s, 3), "-t", platform::FormatFixed(length_s, 3)});
    return args;
}

} // namespace

SampleEstimator::SampleEstimator(ConversionDriver::EngineFn engine, SampleOptions options)
    : m_engine(std::move(engine))
    , m_options(std::move(options))
{ }

std::vector<SampleWindow> SampleEstimator::WindowsFor(double duration_s,
                                                      const SampleOptions &options)
{
    if (!(duration_s > 0) || options.places <= 0 || !(options.shortest_s > 0))
        return {};
    // Always every place: one stretch of a film is a poor guess at the whole (a single sample
    // from the middle of a test picture missed by 23 % where three missed by 7 %). The places get
    // lengths of 1, 2, 3 ... parts, so that what every encode pays at its start (its first key
    // picture, a rate control finding its feet) can be told from what each second costs.
    const int places = options.places;
    const double parts = places * (places + 1) / 2.0;
    const double part
        = std::clamp(options.share * duration_s / parts, options.shortest_s * places / parts,
                     std::max(options.shortest_s, options.longest_s) * places / parts);
    // Samples that would cover half the source or more cost about what the whole does.
    if (part * parts >= duration_s / 2)
        return {{0, duration_s}};
    std::vector<SampleWindow> windows;
    for (int k = 0; k < places; ++k) {
        const double length = part * (k + 1);
        const double middle = (k + 0.5) * duration_s / places;
        windows.push_back({std::clamp(middle - length / 2, 0.0, duration_s - length), length});
    }
    return windows;
}

SampleResult SampleEstimator::Estimate(Task &task, const ProgressFn &progress)
{
    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    SampleResult result;
    const auto finish = [&](SampleResult::Status status, std::string error = {}) {
        result.status = status;
        result.error = std::move(error);
        result.wall_s = std::chrono::duration<double>(Clock::now() - started).count();
        return result;
    };

    const OutputShape shape = ShapeOf(task);
    const std::vector<SampleWindow> windows = WindowsFor(shape.duration_s, m_options);
    if (windows.empty())
        return finish(SampleResult::Status::Failed, "the source has no length to sample");
    std::error_code ec;
    const std::filesystem::path parent
        = m_options.folder.empty() ? std::filesystem::temp_directory_path(ec) : m_options.folder;
    if (ec)
        return finish(SampleResult::Status::Failed, ec.message());
    SampleFolder::SweepLeftovers(parent);
    const SampleFolder folder(parent);
    if (!folder.Ok())
        return finish(SampleResult::Status::Failed, folder.Error());

    m_progress = progress ? &progress : nullptr;
    m_done_s = 0;
    m_total_s = 0;
    for (const auto &w : windows)
        m_total_s += w.length_s;
    m_cancelled = false;

    std::vector<double> lengths;
    std::vector<double> beyond; ///< each sample's bytes beyond the model's known parts
    for (const SampleWindow &window : windows) {
        double bytes = 0;
        std::string error;
        const SampleResult::Status status
            = RunWindow(task, folder.Path(), window, lengths.size(), bytes, error);
        if (status != SampleResult::Status::Measured)
            return finish(status, error);
        lengths.push_back(window.length_s);
        beyond.push_back(bytes - KnownBytes(shape, window.length_s));
        result.sampled_s += window.length_s;
        m_done_s += window.length_s;
    }

    // What the samples hold beyond the model's known parts is the quality-based streams' share:
    // a cost each encode pays once at its start, and one a second. It may also fall short of
    // them: an encoder given a fixed rate leaves most of it unused on a still picture.
    const double ratio = 1.0 + OverheadOf(shape.container).payload_ratio;
    const StartAndRate fit = FitStartAndRate(lengths, beyond);
    const double measured_per_s = fit.per_s / ratio;
    result.bytes = std::max(
        0.0, KnownBytes(shape, shape.duration_s) + (fit.start + fit.per_s * shape.duration_s));
    if (shape.video.kind == RateKind::QualityBased) {
        double audio_guess_kbps = 0;
        for (const auto &track : shape.audio)
            if (track.kind == RateKind::QualityBased)
                audio_guess_kbps += track.kbps;
        result.video_kbps = std::max(0.0, measured_per_s * 8.0 / 1000.0 - audio_guess_kbps);
    }
    return finish(SampleResult::Status::Measured);
}

SampleResult::Status SampleEstimator::RunWindow(Task &task, const std::filesystem::path &folder,
                                                const SampleWindow &window, std::size_t number,
                                                double &bytes, std::string &error)
{
    const std::string path = (folder
                              / ("sample-" + std::to_string(number) + "."
                                 + std::string(task.settings.TargetType.view())))
                                 .string();
    BuildContext context;
    // A Custom size of 0 writes "-fs 0", no limit, and keeps every option after it.
    context.split_choice = split::kCustom;
    context.custom_split_mb = 0;
    context.output_folder = folder.string() + "/";
    context.choose_output = [&path](const std::function<std::string(unsigned)> &) {
        return OutputChoice{path, path, {}};
    };
    const std::string destination = task.destination_path;
    const BuildResult built = BuildTaskArguments(task, context);
    task.destination_path = destination;
    if (!built.Ok()) {
        error = built.Error();
        return SampleResult::Status::Failed;
    }
    // The task's converted range starts at its trim start, counted from the media start.
    const double range_start_s = task.trim_start.IsSet()
        ? std::max(0.0, static_cast<double>(task.trim_start.us - task.context.start_time_us) * 1e-6)
        : 0.0;
    std::vector<std::string> args = SampleArguments(
        task, built.args.Entries(), range_start_s + window.start_s, window.length_s);
    std::vector<char *> argv;
    argv.reserve(args.size() + 1);
    for (auto &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    m_message.clear();
    SampleEstimator *previous = g_sampling;
    g_sampling = this;
    const int rc = m_engine(static_cast<int>(args.size()), argv.data(), &EngineReport);
    g_sampling = previous;
    if (rc == DOLMAR_STOPPED || m_cancelled)
        return SampleResult::Status::Cancelled;
    if (rc != DOLMAR_OK) {
        error = m_message.empty() ? "the engine failed (" + std::to_string(rc) + ")" : m_message;
        return SampleResult::Status::Failed;
    }
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size == 0) {
        error = "no sample was written";
        return SampleResult::Status::Failed;
    }
    std::filesystem::remove(path, ec);
    bytes = static_cast<double>(size);
    return SampleResult::Status::Measured;
}

int SampleEstimator::EngineReport(const char *message, double position)
{
    SampleEstimator *self = g_sampling;
    if (!self)
        return 0;
    if (position < 0 && position > -2) {
        if (message && *message)
            self->m_message = message;
        return 0;
    }
    if (position >= 0 && self->m_progress && self->m_total_s > 0) {
        const double share = std::min(1.0, (self->m_done_s + position) / self->m_total_s);
        if (!(*self->m_progress)(share))
            self->m_cancelled = true;
    }
    return self->m_cancelled ? -1 : 0;
}

void ApplySample(PlanTask &task, const SampleResult &result)
{
    if (result.status != SampleResult::Status::Measured
        || task.shape.video.kind != RateKind::QualityBased || !(result.video_kbps > 0))
        return;
    const double typical
        = KbpsForBitsPerPixel(task.shape, CodecBudgetOf(task.shape.video_codec).typical_bpp);
    task.shape.video.kbps = result.video_kbps;
    task.natural_kbps = result.video_kbps;
    if (typical > 0)
        task.complexity = result.video_kbps / typical;
}

} // namespace quillet::sizing
