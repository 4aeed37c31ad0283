// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ConversionDriver.h"

#include "core/ArgumentBuilder.h"
#include "core/BatchFile.h"
#include "core/BatchStore.h"
#include "core/BatchTexts.h"
#include "core/CutRule.h"
#include "core/DriverConversion.h"
#include "core/JobWeight.h"
#include "core/ListPlan.h"
#include "core/OutputCheck.h"
#include "core/OutputShape.h"
#include "core/ProfileValueCheck.h"
#include "core/RunBudget.h"
#include "core/SourceSnapshot.h"
#include "core/SplitPresets.h"
#include "core/TwoPassRun.h"
#include "platform/FreeMemory.h"
#include "platform/OutputClaim.h"
#include "platform/Paths.h"
#include "platform/TextCase.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <optional>

namespace quillet {

namespace {

// The messages of a driver made without a language table.
const BuiltInTexts kGBuiltInTexts;

uint32_t SteadyTickMs()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

/// The seconds of a task that a run converts, from its trim points.
double EffectiveDuration(const Task &task)
{
    const double start_us = static_cast<double>(task.context.start_time_us);
    const double duration_us = static_cast<double>(task.context.duration_us);
    const bool has_start = task.trim_start.IsSet();
    const bool has_end = task.trim_end.IsSet();
    double us = duration_us;
    if (has_start && has_end)
        us = static_cast<double>(task.trim_end.us - task.trim_start.us);
    else if (has_end)
        us = static_cast<double>(task.trim_end.us) - start_us;
    else if (has_start)
        us = start_us + duration_us - static_cast<double>(task.trim_start.us);
    return us * 1e-6;
}

/// Chooses output names by claiming them (platform::OutputClaim): the engine writes a hidden
/// temporary file beside the final name, and the claim is kept in claim.
OutputChooser Claimer(std::optional<platform::OutputClaim> &claim)
{
    return [&claim](const std::function<std::string(unsigned)> &numbered) {
        std::string error;
        platform::OutputClaim taken = platform::OutputClaim::Claim(numbered, &error);
        if (!taken.Claimed())
            return OutputChoice{{}, {}, error};
        OutputChoice choice{taken.FinalPath(), taken.TemporaryPath(), {}};
        claim = std::move(taken);
        return choice;
    };
}

/// A run's output as the time-left estimate and the job pool weigh it.
TimedTask TimedOutput(const sizing::OutputShape &shape, std::string_view audio_codec,
                      double media_s, const Task &source, int machine_cores)
{
    TimedTask timed;
    timed.media_s = media_s;
    const double source_pixels
        = static_cast<double>(source.source_width) * static_cast<double>(source.source_height);
    if (shape.HasVideo()) {
        const bool sized = shape.width > 0 && shape.height > 0;
        timed.kind = {shape.video_codec, sized ? shape.width : source.source_width,
                      sized ? shape.height : source.source_height};
    } else {
        timed.kind = {platform::ToLower(audio_codec), 0, 0};
    }
    const double encode_pixels = shape.video.kind == sizing::RateKind::Fixed
            || shape.video.kind == sizing::RateKind::QualityBased
        ? static_cast<double>(timed.kind.width) * static_cast<double>(timed.kind.height)
        : 0;
    timed.cores = CoresPerJob(encode_pixels, shape.HasVideo() ? source_pixels : 0, machine_cores);
    return timed;
}

/// What the cut rule compares a run's output with: the seconds the run converts, its limit.
sizing::OutputFacts ExpectedFacts(const std::vector<std::string> &args,
                                  const sizing::OutputShape &shape)
{
    sizing::OutputFacts facts;
    facts.source_s = shape.duration_s;
    facts.frame_rate = shape.HasVideo() ? shape.frame_rate : 0;
    facts.limit_kib = SizeLimitKibOf(args);
    return facts;
}

} // namespace

bool IsRegularFile(const std::string &path, int64_t *size)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (size)
        *size = st.st_size;
    return true;
}

ConversionDriver::ConversionDriver(RunObserver &observer)
    : ConversionDriver(observer, kGBuiltInTexts)
{ }

ConversionDriver::ConversionDriver(RunObserver &observer, const Texts &texts)
    : m_observer(observer)
    , m_texts(texts)
    , m_engine(ffmain)
    , m_post_process(RunPostProcess)
    , m_tick(SteadyTickMs)
{ }

std::string ConversionDriver::Text(const run_texts::RunText &text) const
{
    return m_texts.LookupFormat(run_texts::kSection, text.key, text.default_text);
}

std::string ConversionDriver::KeptText(const run_texts::RunText &text) const
{
    return m_texts.LookupFormat(batch_texts::kSection, text.key, text.default_text);
}

std::optional<TaskResult> ConversionDriver::NotConverted(const Task &task, ResumeStep step) const
{
    TaskResult result;
    result.source = task.source_path;
    switch (step) {
    case ResumeStep::Convert:
        return std::nullopt;
    case ResumeStep::Done: {
        const TaskFacts *facts = m_kept ? m_kept->Facts(task) : nullptr;
        result.output = facts && facts->run.made ? facts->run.made->path : task.destination_path;
        result.status = TaskResult::Status::Made;
        result.made_earlier = true;
        result.reason = FormatText(KeptText(batch_texts::kAlreadyMade), result.output.c_str());
        return result;
    }
    case ResumeStep::SkipSourceGone:
        result.reason = KeptText(batch_texts::kSourceGone);
        return result;
    case ResumeStep::SkipSourceChanged:
        result.reason = KeptText(batch_texts::kSourceChanged);
        return result;
    }
    return std::nullopt;
}

void ConversionDriver::Record(const Task &task, const TaskResult &result) const
{
    if (m_kept)
        m_kept->TaskFinished(task, result);
}

bool ConversionDriver::DiscSizeFits(const RunRequest &request) const
{
    // The same-profile flag as the previous run left it.
    if (!IsDiscFamily(request.current_profile.profile_path.view(), m_same_profile))
        return true;
    if (const auto *preset = split::FindDiscPreset(request.split_choice))
        return request.total_estimated_mb <= preset->capacity_mb;
    return true;
}

RunOutcome ConversionDriver::Convert(TaskList &tasks, const RunRequest &request)
{
    RunOutcome outcome;
    if (m_converting)
        return outcome;

    const bool merged = tasks.Count() > 1 && request.merge;
    std::vector<bool> converted;
    for (const auto &task : tasks)
        converted.push_back(request.only.empty()
                            || std::find(request.only.begin(), request.only.end(), task.get())
                                != request.only.end());
    sizing::RunBudget budget = sizing::BudgetOfRun(
        tasks, {request.split_choice, request.custom_split_mb, &request.current_profile, merged},
        converted);
    const std::string refusal = budget.Refusal(m_texts);
    // A disc batch whose estimate exceeds the disc is planned onto it at lower rates; the old
    // refusal stays for one that no plan can fit, or that nothing plans.
    if (!DiscSizeFits(request) && (!refusal.empty() || !budget.Any())) {
        // A fixed English text and caption, as the merge check's below.
        m_observer.Tell(kDiscTooSmall, "tesk", Prompter::Icon::Exclamation);
        return outcome;
    }

    m_converting = true;
    m_cancel = false;
    m_observer.SetConverting(true);
    m_observer.ShowProgress(0);

    if (merged && !MergeCheck(tasks)) {
        m_converting = false;
        m_observer.SetConverting(false);
        m_observer.ShowProgress(0);
        return outcome;
    }
    // Before anything is converted: even at the lowest rates the batch would not fit the disc.
    if (!refusal.empty()) {
        m_observer.Tell(refusal);
        m_converting = false;
        m_observer.SetConverting(false);
        m_observer.ShowProgress(0);
        return outcome;
    }
    m_budget = &budget;
    outcome.started = true;
    m_kept = request.kept_batch;
    if (m_kept)
        m_kept->RunStarted();
    if (merged)
        RunMerged(tasks, request, outcome);
    else
        RunSingle(tasks, request, outcome);
    if (m_kept)
        m_kept->RunEnded(!outcome.cancelled);
    m_kept = nullptr;
    m_budget = nullptr;

    if (!outcome.failures.empty()) {
        std::string text = Text(run_texts::kFailedFiles) + "\n";
        for (const auto &failure : outcome.failures) {
            text += '\n';
            text += platform::FileNameOf(failure.source);
            text += ": ";
            text += failure.reason;
        }
        m_observer.Tell(text);
    }
    m_cancel = false;
    if (!outcome.outputs.empty())
        m_observer.ShowOutput(outcome.outputs.back());
    m_converting = false;
    m_observer.SetConverting(false);
    m_observer.ShowProgress(0);
    return outcome;
}

bool ConversionDriver::MergeCheck(const TaskList &tasks)
{
    // Fixed English texts by design, not language keys; each names the file it is about.
    // A clip without sound joins with silence for its length (the engine makes it), so only
    // a file of which nothing could be read, or one without a picture among videos, is refused.
    bool any_video = false;
    for (const auto &task : tasks)
        any_video = any_video || task->HasVideo();
    for (const auto &task : tasks) {
        const std::string name(platform::FileNameOf(task->source_path));
        // An unprobed task's facts are all zero, which reads as a video stream at index 0.
        if (task->context.stream_count <= 0 || (!task->HasVideo() && !task->HasAudio())) {
            m_observer.Tell("Cannot merge: no picture or sound could be read from " + name);
            return false;
        }
        if (any_video && !task->HasVideo()) {
            m_observer.Tell("Cannot merge: " + name
                            + " has no picture, and the other files are videos");
            return false;
        }
    }
    return true;
}

void ConversionDriver::RunSingle(TaskList &tasks, const RunRequest &request, RunOutcome &outcome)
{
    m_same_profile = SameProfile(tasks);
    // Outputs of a disc run share the disc, so each one's size is counted for the next.
    const bool counts_disc
        = m_same_profile && IsDiscFamily(request.current_profile.profile_path.view(), true);

    int64_t running_total_kib = 0;
    const auto count_on_disc = [&](const std::string &output) {
        int64_t size = 0;
        if (counts_disc && IsRegularFile(output, &size))
            running_total_kib += static_cast<int64_t>(static_cast<double>(size) / 1024.0);
    };

    // What is known of each task before its turn to be finished comes: kept until then, so the
    // results and the failure list come in the list's order whatever order the runs end in.
    enum class Tell { Finished, Skipped, Nothing };
    struct Pending
    {
        TaskResult result;
        std::optional<RunFailure> failure;
        Tell tell = Tell::Finished;
    };
    const std::size_t count = static_cast<std::size_t>(tasks.Count());
    std::vector<Pending> pending(count);
    for (std::size_t i = 0; i < count; ++i)
        pending[i].result.source = tasks.Get(static_cast<int>(i))->source_path;
    Conversions conversions(count);
    const int machine_cores = AvailableCores();
    std::vector<TimedTask> timed;
    timed.reserve(count);
    for (const auto &task : tasks)
        timed.push_back(TimedOutput(sizing::ShapeOf(*task), task->settings.cAudioCodec.view(),
                                    sizing::EffectiveDurationS(*task), *task, machine_cores));

    const auto start = [&](std::size_t i) {
        Task &task = *tasks.Get(static_cast<int>(i));
        Pending &p = pending[i];
        if (m_cancel || outcome.cancelled) {
            // Never started: Cancel came before it.
            p.result.status = TaskResult::Status::Cancelled;
            p.tell = Tell::Nothing;
            return false;
        }
        if (!request.only.empty()
            && std::find(request.only.begin(), request.only.end(), &task) == request.only.end()) {
            p.tell = Tell::Nothing;
            return false;
        }
        if (m_kept) {
            const ResumeStep step = m_kept->Resume(task);
            if (std::optional<TaskResult> not_converted = NotConverted(task, step)) {
                p.result = std::move(*not_converted);
                if (step == ResumeStep::Done) {
                    // The row shows the name the earlier run gave the output.
                    task.destination_path = p.result.output;
                    p.tell = Tell::Nothing;
                } else {
                    p.failure = RunFailure{task.source_path, p.result.reason};
                    p.tell = Tell::Skipped;
                }
                return false;
            }
        }
        // A step before the conversion (extracting its subtitles) failed: converting it anyway
        // would make something else than was asked for.
        std::string refused = task.preparation_failure;
        if (refused.empty())
            refused = RefusedProfileValue(task.settings, m_texts);
        if (refused.empty())
            refused = m_budget->TaskRefusal(i, m_texts);
        if (!refused.empty()) {
            p.failure = RunFailure{task.source_path, refused};
            p.result.reason = std::move(refused);
            return false;
        }
        auto conversion = std::make_unique<Conversion>();
        BuildContext context;
        context.split_choice = request.split_choice;
        context.custom_split_mb = request.custom_split_mb;
        context.running_output_total_kib = running_total_kib;
        context.current_profile_path = request.current_profile.profile_path.str();
        context.same_profile = m_same_profile;
        context.output_folder = request.output_folder;
        context.choose_output = Claimer(conversion->claim);
        BuildResult built = BuildTaskArguments(task, context);
        if (!built.Ok()) {
            p.failure = RunFailure{task.source_path, built.Error()};
            p.result.reason = built.Error();
            return false;
        }
        if (m_kept)
            m_kept->TaskStarted(task, conversion->claim->FinalPath());
        conversion->args = built.args.Entries();
        conversion->route_flag = task.route_flag;
        conversion->source = task.source_path;
        conversion->inputs = {task.source_path};
        conversion->expected = ExpectedFacts(conversion->args, sizing::ShapeOf(task));
        conversion->engine_output = built.engine_output_path;
        if (const auto plan = m_budget->PlanOf(i)) {
            p.result.planned_bytes = plan->bytes;
            ApplyPlan(*conversion, i, *plan);
        }
        conversions[i] = std::move(conversion);
        return true;
    };

    const auto finish = [&](std::size_t i, JobRun::Kind kind) {
        Task &task = *tasks.Get(static_cast<int>(i));
        Pending &p = pending[i];
        if (kind == JobRun::Kind::NotStarted) {
            p.result.status = TaskResult::Status::Cancelled;
            p.tell = Tell::Nothing;
            m_budget->OutputMissing(i);
        } else if (kind == JobRun::Kind::Skipped) {
            if (p.failure)
                outcome.failures.push_back(*p.failure);
            if (p.result.made_earlier) {
                count_on_disc(p.result.output);
                int64_t size = 0;
                IsRegularFile(p.result.output, &size);
                // Made by an earlier run: on the disc as it is, whatever its plan says.
                while (m_budget->OutputFinished(i, static_cast<double>(size)).action
                       == sizing::NextStep::Action::EncodeAgain) { }
            } else {
                m_budget->OutputMissing(i);
            }
        } else {
            Conversion &c = *conversions[i];
            p.result.seconds = static_cast<double>(c.ended_ms - c.started_ms) / 1000.0;
            // A Cancel that came after this run ended, while it waited for those before it,
            // still stops the batch here.
            if (m_cancel)
                outcome.cancelled = true;
            if (c.cancelled) {
                outcome.cancelled = true;
                p.result.status = TaskResult::Status::Cancelled;
            } else if (c.failure) {
                outcome.failures.push_back(*c.failure);
                p.result.reason = c.failure->reason;
                TellCut(c, p.result);
                // No output to burn: its share goes to the rest.
                m_budget->OutputMissing(i);
            } else {
                const uint32_t finish_ms = m_tick();
                task.destination_path = *c.output;
                const std::size_t failures_before = outcome.failures.size();
                // After a Cancel an output that another job finished is kept, but its command
                // is not started: the user asked the batch to stop.
                Finish(*c.output, task.settings.BurnType.str(),
                       outcome.cancelled ? std::string_view() : task.settings.PostProcess.view(),
                       request, outcome);
                SetMadeResult(p.result, *c.output, outcome, failures_before);
                p.result.output_bytes = c.output_bytes;
                p.result.seconds += SecondsSince(finish_ms);
                count_on_disc(*c.output);
            }
            conversions[i].reset();
        }
        if (p.tell == Tell::Finished)
            Record(task, p.result);
        else if (p.tell == Tell::Skipped && m_kept)
            m_kept->TaskSkipped(task, p.result);
        outcome.results.push_back(std::move(p.result));
    };

    // The disc's running total and a size plan need every output before the next one is built.
    RunConversions(conversions, std::move(timed),
                   counts_disc || m_budget->Any() ? 1 : request.simultaneous_jobs, start, finish);
}

double ConversionDriver::SecondsSince(uint32_t started_ms) const
{
    return static_cast<double>(m_tick() - started_ms) / 1000.0;
}

void ConversionDriver::SetMadeResult(TaskResult &result, const std::string &output,
                                     const RunOutcome &outcome, std::size_t failures_before)
{
    result.output = output;
    // Finish lists a post-processing failure under the output it ran on.
    if (outcome.cancelled) {
        result.status = TaskResult::Status::Cancelled;
    } else if (outcome.failures.size() > failures_before) {
        result.status = TaskResult::Status::PostProcessFailed;
        result.reason = outcome.failures.back().reason;
    } else {
        result.status = TaskResult::Status::Made;
    }
}

void ConversionDriver::RunMerged(TaskList &tasks, const RunRequest &request, RunOutcome &outcome)
{
    m_same_profile = true;
    const uint32_t started_ms = m_tick();
    // Every task goes into the one output, so every task shares what became of it, and the kept
    // batch hears it of each.
    TaskResult shared;
    const std::string recipe
        = m_kept ? batch_file::MergedRecipeOf(tasks, request.current_profile) : std::string();
    enum class Told { Finished, Skipped, Nothing };
    const auto share = [&](Told told = Told::Finished) {
        shared.seconds = SecondsSince(started_ms);
        for (const auto &task : tasks) {
            TaskResult &result = outcome.results.emplace_back(shared);
            result.source = task->source_path;
            if (m_kept && told == Told::Finished)
                m_kept->TaskFinished(*task, result, recipe);
            else if (m_kept && told == Told::Skipped)
                m_kept->TaskSkipped(*task, result);
        }
    };
    if (m_kept) {
        // One unit: not made again when every task was made into the same merged output, not
        // made at all when a kept task's source is gone or changed.
        bool all_done = true;
        std::string made;
        for (const auto &task : tasks) {
            const ResumeStep step = m_kept->Resume(*task, recipe);
            const std::optional<TaskResult> not_converted = NotConverted(*task, step);
            if (step == ResumeStep::Done) {
                all_done = all_done && (made.empty() || made == not_converted->output);
                made = not_converted->output;
            } else if (not_converted) {
                outcome.failures.push_back({task->source_path, not_converted->reason});
                if (shared.reason.empty())
                    shared.reason = std::string(platform::FileNameOf(task->source_path)) + ": "
                        + not_converted->reason;
                all_done = false;
            } else {
                all_done = false;
            }
        }
        if (!shared.reason.empty()) {
            share(Told::Skipped);
            return;
        }
        if (all_done) {
            shared = *NotConverted(*tasks.Get(0), ResumeStep::Done);
            share(Told::Nothing);
            return;
        }
    }
    for (const auto &task : tasks) {
        if (!task->preparation_failure.empty()) {
            outcome.failures.push_back({task->source_path, task->preparation_failure});
            shared.reason = std::string(platform::FileNameOf(task->source_path)) + ": "
                + task->preparation_failure;
            share();
            return;
        }
    }
    if (std::string refused = RefusedProfileValue(request.current_profile, m_texts);
        !refused.empty()) {
        outcome.failures.push_back({tasks.Get(0)->source_path, refused});
        shared.reason = std::move(refused);
        share();
        return;
    }
    Conversions conversions(1);
    conversions[0] = std::make_unique<Conversion>();
    Conversion &conversion = *conversions[0];
    BuildContext context;
    context.split_choice = request.split_choice;
    context.custom_split_mb = request.custom_split_mb;
    context.current_profile_path = request.current_profile.profile_path.str();
    context.output_folder = request.output_folder;
    context.choose_output = Claimer(conversion.claim);
    BuildResult built = BuildMergedArguments(tasks, request.current_profile, context);
    if (!built.Ok()) {
        outcome.failures.push_back({built.output_path, built.Error()});
        shared.reason = built.Error();
        share();
        return;
    }
    conversion.args = built.args.Entries();
    conversion.source = built.output_path;
    conversion.expected
        = ExpectedFacts(conversion.args, sizing::MergedShapeOf(tasks, request.current_profile));
    conversion.engine_output = built.engine_output_path;
    if (const auto plan = m_budget->PlanOf(0)) {
        shared.planned_bytes = plan->bytes;
        ApplyPlan(conversion, 0, *plan);
    }
    double media_s = 0;
    for (const auto &task : tasks) {
        media_s += EffectiveDuration(*task);
        conversion.inputs.push_back(task->source_path);
    }
    if (m_kept) {
        std::vector<const Task *> started;
        for (const auto &task : tasks)
            started.push_back(task.get());
        m_kept->TasksStarted(started, conversion.claim->FinalPath(), recipe);
    }
    const std::size_t failures_before = outcome.failures.size();
    const auto finish = [&](std::size_t, JobRun::Kind) {
        if (conversion.cancelled) {
            outcome.cancelled = true;
            shared.status = TaskResult::Status::Cancelled;
        } else if (conversion.failure) {
            outcome.failures.push_back(*conversion.failure);
            shared.reason = conversion.failure->reason;
            TellCut(conversion, shared);
        } else if (conversion.output) {
            Finish(*conversion.output, request.current_profile.BurnType.str(),
                   request.current_profile.PostProcess.view(), request, outcome);
            SetMadeResult(shared, *conversion.output, outcome, failures_before);
            shared.output_bytes = conversion.output_bytes;
        }
    };
    // One output from every source: one run, its position the joined length.
    RunConversions(
        conversions,
        {TimedOutput(sizing::MergedShapeOf(tasks, request.current_profile),
                     request.current_profile.cAudioCodec.view(), media_s, *tasks.Get(0), 1)},
        1, [](std::size_t) { return true; }, finish);
    share();
}

void ConversionDriver::RunConversions(
    Conversions &conversions, std::vector<TimedTask> timed, int jobs,
    const std::function<bool(std::size_t index)> &start,
    const std::function<void(std::size_t index, JobRun::Kind kind)> &finish)
{
    const uint32_t run_start_ms = m_tick();
    // The driver's clock is CLOCK_MONOTONIC, which stops while the machine is suspended, so a
    // night's sleep is not taken for converting.
    const auto now_s = [&] { return static_cast<double>(m_tick() - run_start_ms) / 1000.0; };
    std::vector<double> cores;
    cores.reserve(timed.size());
    for (const TimedTask &task : timed)
        cores.push_back(task.cores);
    TimeLeftEstimator estimate(std::move(timed), 0);

    JobPool::Hooks hooks;
    hooks.cores = [&](std::size_t i) { return cores[i]; };
    hooks.start = [&](std::size_t i) -> std::optional<PoolJob> {
        if (!start(i)) {
            estimate.Dropped(i);
            return std::nullopt;
        }
        Conversion &conversion = *conversions[i];
        Announce(conversion);
        conversion.started_ms = m_tick();
        estimate.Started(i, now_s());
        return PoolJob{conversion.args, conversion.route_flag};
    };
    hooks.pump = [&](const std::vector<JobPosition> &running) {
        estimate.Update(now_s(), running);
        if (m_tick() - m_last_report >= 500)
            ShowBatchProgress(estimate, conversions, running);
        // Events are handled on every report, so the window stays responsive and Cancel quick.
        m_observer.PumpEvents();
        return m_cancel;
    };
    hooks.ended = [&](std::size_t i, const JobRun &run) {
        Conversion &conversion = *conversions[i];
        conversion.ended_ms = m_tick();
        Conclude(conversion, run);
        estimate.Ended(i, now_s(), conversion.output.has_value());
    };
    hooks.finish = [&](std::size_t i, const JobRun &run) {
        if (run.kind == JobRun::Kind::NotStarted)
            estimate.Dropped(i);
        finish(i, run.kind);
        if (run.kind == JobRun::Kind::Ran)
            ShowBatchProgress(estimate, conversions, {});
    };
    m_last_report = m_tick();
    JobPool(TwoPassEngine(m_engine), {jobs, AvailableCores()}).Run(conversions.size(), hooks);
}

void ConversionDriver::ShowBatchProgress(TimeLeftEstimator &estimate,
                                         const Conversions &conversions,
                                         const std::vector<JobPosition> &running)
{
    m_last_report = m_tick();
    RunProgress progress;
    progress.percent = estimate.Percent();
    progress.seconds_left = estimate.SecondsLeft();
    for (const JobPosition &at : running)
        if (at.index < conversions.size() && conversions[at.index] && conversions[at.index]->claim)
            progress.outputs.push_back(conversions[at.index]->claim->FinalPath());
    m_observer.ShowProgress(progress.percent);
    m_observer.ShowRunProgress(progress);
}

void ConversionDriver::Announce(Conversion &conversion)
{
    std::string line;
    for (std::size_t i = 0; i < conversion.args.size(); ++i)
        line += (i ? " " : "") + conversion.args[i];
    m_observer.LogCommandLine(line);
    m_observer.SetCurrentOutput(conversion.claim->FinalPath());
    conversion.before.reserve(conversion.inputs.size());
    for (const auto &input : conversion.inputs)
        conversion.before.push_back(SourceSnapshot::Of(input));
}

void ConversionDriver::Conclude(Conversion &conversion, const JobRun &run)
{
    // Thousands of outputs in one batch must not keep thousands of runs' worth of freed pages.
    platform::ReturnFreeMemory();
    platform::OutputClaim &claim = *conversion.claim;
    // Cancel wins even when it came as the engine finished: nothing of this output is kept.
    if (run.result == DOLMAR_STOPPED || m_cancel) {
        claim.Abandon();
        conversion.cancelled = true;
        return;
    }
    // The temporary file was made empty for this run: an output is there only when the engine
    // wrote something into it.
    int64_t size = 0;
    const bool made
        = run.result == DOLMAR_OK && IsRegularFile(claim.TemporaryPath(), &size) && size > 0;
    std::string reason;
    const auto changed = [&] {
        for (std::size_t i = 0; i < conversion.inputs.size(); ++i)
            if (conversion.before[i].ChangedBy(SourceSnapshot::Of(conversion.inputs[i])))
                return true;
        return false;
    };
    if (made && changed()) {
        reason = Text(run_texts::kSourceChanged);
    } else if (made) {
        // The kept batch holds the claim before the output can have its name, so a run killed
        // after the rename finds the output done there. A kept batch that cannot be written
        // costs no output: the output is the user's, the kept batch only our note of it.
        if (m_kept)
            m_kept->WaitUntilWritten();
        // An output over its share of the disc is made again, lower, before the next task.
        if (conversion.budget_index && !KeepToBudget(conversion, size, reason)) {
            if (conversion.cancelled) {
                claim.Abandon();
                return;
            }
            claim.Abandon();
            conversion.failure = RunFailure{conversion.source, reason};
            return;
        }
        conversion.output_bytes = size;
        // The engine succeeds when it stops at the -fs limit: an output that lost the end of
        // its source is not the film that was asked for, and never gets the whole one's name.
        sizing::OutputFacts facts = conversion.expected;
        if (facts.limit_kib > 0) {
            facts.size_bytes = size;
            facts.kept_s = ProbedDurationS(claim.TemporaryPath());
        }
        if (facts.kept_s > 0 && sizing::IsCut(facts)) {
            std::string named;
            if (CommitAsCut(claim, named, &reason)) {
                conversion.cut_output = named;
                conversion.cut = facts;
                reason = sizing::CutText(m_texts, facts);
            }
            conversion.failure = RunFailure{conversion.source, reason};
            return;
        }
        if (claim.Commit(&reason)) {
            conversion.output = claim.FinalPath();
            return;
        }
    } else {
        reason = run.message;
        if (reason.empty() && run.result == DOLMAR_OK)
            reason = Text(run_texts::kNoOutputWritten);
        else if (reason.empty())
            reason = FormatText(Text(run_texts::kEngineResult), run.result);
    }
    // Only this run's own temporary file goes; whatever lies under the final name stays.
    claim.Abandon();
    conversion.failure = RunFailure{conversion.source, reason};
}

void ConversionDriver::Finish(const std::string &output, const std::string &burn_type,
                              std::string_view command, const RunRequest &request,
                              RunOutcome &outcome)
{
    if (outcome.outputs.empty() && outcome.burn_type.empty())
        outcome.burn_type = burn_type;
    if (!command.empty()) {
        // The front end's events are handled while the command runs, so Cancel (or Ctrl+C) stops
        // it as it stops the engine.
        const StopRequest stop = [this] {
            m_observer.PumpEvents();
            return m_cancel;
        };
        PostProcessResult post = m_post_process(output, command, request.program_folder, stop);
        m_observer.LogCommandLine(post.command_line);
        // The command was waited for; one that did not run, or ended with a failure (the
        // library importer could not add the file), is a failure of this output's run. One that
        // was stopped ends the batch as Cancel does.
        if (post.stopped)
            outcome.cancelled = true;
        else if (!post.ran)
            outcome.failures.push_back(
                {output, FormatText(Text(run_texts::kPostProcessNotRun), post.error.c_str())});
        else if (post.exit_status != 0)
            outcome.failures.push_back(
                {output, FormatText(Text(run_texts::kPostProcessFailed), post.exit_status)});
    }
    outcome.outputs.push_back(output);
    m_observer.OutputFinished(output);
}

} // namespace quillet
