// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ConversionDriver.h"

#include "core/ArgumentBuilder.h"
#include "core/BatchFile.h"
#include "core/BatchStore.h"
#include "core/BatchTexts.h"
#include "core/ProfileValueCheck.h"
#include "core/SourceSnapshot.h"
#include "core/SplitPresets.h"
#include "platform/FreeMemory.h"
#include "platform/OutputClaim.h"
#include "platform/Paths.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <optional>

namespace quillet {

namespace {

// The engine's progress report is a plain C function: it finds the running driver here.
thread_local ConversionDriver *g_active = nullptr;

// The messages of a driver made without a language table.
const BuiltInTexts kGBuiltInTexts;

uint32_t SteadyTickMs()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool IsRegularFile(const std::string &path, int64_t *size = nullptr)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (size)
        *size = st.st_size;
    return true;
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

unsigned TimeSeededRandom()
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    return static_cast<unsigned>(std::rand());
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

} // namespace

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
    if (!DiscSizeFits(request)) {
        // A fixed English text and caption, as the merge check's below.
        m_observer.Tell(kDiscTooSmall, "tesk", Prompter::Icon::Exclamation);
        return outcome;
    }

    m_converting = true;
    m_cancel = false;
    m_observer.SetConverting(true);
    m_observer.ShowProgress(0);

    const bool merged = tasks.Count() > 1 && request.merge;
    if (merged && !MergeCheck(tasks)) {
        m_converting = false;
        m_observer.SetConverting(false);
        m_observer.ShowProgress(0);
        return outcome;
    }
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
    // The three messages are fixed English texts by design, not language keys.
    bool any_audio = false, any_video = false;
    for (const auto &task : tasks) {
        any_audio = any_audio || task->HasAudio();
        any_video = any_video || task->HasVideo();
    }
    if (!any_audio && !any_video) {
        m_observer.Tell("Cannot find any videos or audios");
        return false;
    }
    for (const auto &task : tasks) {
        if (any_video && !task->HasVideo()) {
            m_observer.Tell("Some items no videos");
            return false;
        }
        if (any_audio && !task->HasAudio()) {
            m_observer.Tell("Some items no audios");
            return false;
        }
    }
    return true;
}

void ConversionDriver::RunSingle(TaskList &tasks, const RunRequest &request, RunOutcome &outcome)
{
    m_same_profile = true;
    for (int i = 1; i < tasks.Count(); ++i)
        if (tasks.Get(i - 1)->settings.profile_path.view()
            != tasks.Get(i)->settings.profile_path.view())
            m_same_profile = false;
    // Outputs of a disc run share the disc, so each one's size is counted for the next.
    const bool counts_disc
        = m_same_profile && IsDiscFamily(request.current_profile.profile_path.view(), true);

    int64_t running_total_kib = 0;
    const auto count_on_disc = [&](const std::string &output) {
        int64_t size = 0;
        if (counts_disc && IsRegularFile(output, &size))
            running_total_kib += static_cast<int64_t>(static_cast<double>(size) / 1024.0);
    };
    for (const auto &task : tasks) {
        TaskResult &result = outcome.results.emplace_back();
        result.source = task->source_path;
        if (m_cancel || outcome.cancelled) {
            // Never started: Cancel came before it.
            result.status = TaskResult::Status::Cancelled;
            continue;
        }
        const uint32_t started_ms = m_tick();
        if (m_kept) {
            const ResumeStep step = m_kept->Resume(*task);
            if (std::optional<TaskResult> not_converted = NotConverted(*task, step)) {
                result = std::move(*not_converted);
                if (step == ResumeStep::Done) {
                    // The row shows the name the earlier run gave the output.
                    task->destination_path = result.output;
                    count_on_disc(result.output);
                } else {
                    outcome.failures.push_back({task->source_path, result.reason});
                    m_kept->TaskSkipped(*task, result);
                }
                continue;
            }
        }
        // A step before the conversion (extracting its subtitles) failed: converting it anyway
        // would make something else than was asked for.
        if (!task->preparation_failure.empty()) {
            outcome.failures.push_back({task->source_path, task->preparation_failure});
            result.reason = task->preparation_failure;
            Record(*task, result);
            continue;
        }
        if (std::string refused = RefusedProfileValue(task->settings, m_texts); !refused.empty()) {
            outcome.failures.push_back({task->source_path, refused});
            result.reason = std::move(refused);
            Record(*task, result);
            continue;
        }
        std::optional<platform::OutputClaim> claim;
        BuildContext context;
        context.split_choice = request.split_choice;
        context.custom_split_mb = request.custom_split_mb;
        context.running_output_total_kib = running_total_kib;
        context.current_profile_path = request.current_profile.profile_path.str();
        context.same_profile = m_same_profile;
        context.output_folder = request.output_folder;
        context.random_number = TimeSeededRandom;
        context.choose_output = Claimer(claim);
        BuildResult built = BuildTaskArguments(*task, context);
        if (!built.Ok()) {
            outcome.failures.push_back({task->source_path, built.Error()});
            result.reason = built.Error();
            Record(*task, result);
            continue;
        }
        if (m_kept)
            m_kept->TaskStarted(*task, claim->FinalPath());
        m_total_s = task->duration_s;
        const std::size_t failures_before = outcome.failures.size();
        const std::optional<std::string> output
            = RunEngine(built.args.Entries(), *claim, task->source_path, {task->source_path},
                        task->route_flag, outcome);
        if (!output) {
            result.seconds = SecondsSince(started_ms);
            if (outcome.cancelled)
                result.status = TaskResult::Status::Cancelled;
            else if (outcome.failures.size() > failures_before)
                result.reason = outcome.failures.back().reason;
            Record(*task, result);
            continue;
        }
        task->destination_path = *output;
        Finish(*output, task->settings.BurnType.str(), task->settings.PostProcess.view(), request,
               outcome);
        SetMadeResult(result, *output, outcome, failures_before);
        result.seconds = SecondsSince(started_ms);
        Record(*task, result);
        count_on_disc(*output);
        m_observer.ShowProgress(100);
    }
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
    std::optional<platform::OutputClaim> claim;
    BuildContext context;
    context.split_choice = request.split_choice;
    context.custom_split_mb = request.custom_split_mb;
    context.current_profile_path = request.current_profile.profile_path.str();
    context.output_folder = request.output_folder;
    context.random_number = TimeSeededRandom;
    context.choose_output = Claimer(claim);
    BuildResult built = BuildMergedArguments(tasks, request.current_profile, context);
    if (!built.Ok()) {
        outcome.failures.push_back({built.output_path, built.Error()});
        shared.reason = built.Error();
        share();
        return;
    }
    m_total_s = 0;
    for (const auto &task : tasks)
        m_total_s += EffectiveDuration(*task);
    const std::size_t failures_before = outcome.failures.size();
    std::vector<std::string> inputs;
    for (const auto &task : tasks)
        inputs.push_back(task->source_path);
    if (m_kept) {
        std::vector<const Task *> started;
        for (const auto &task : tasks)
            started.push_back(task.get());
        m_kept->TasksStarted(started, claim->FinalPath(), recipe);
    }
    if (const auto output
        = RunEngine(built.args.Entries(), *claim, built.output_path, inputs, 0, outcome)) {
        Finish(*output, request.current_profile.BurnType.str(),
               request.current_profile.PostProcess.view(), request, outcome);
        SetMadeResult(shared, *output, outcome, failures_before);
        m_observer.ShowProgress(100);
    } else if (outcome.cancelled) {
        shared.status = TaskResult::Status::Cancelled;
    } else if (outcome.failures.size() > failures_before) {
        shared.reason = outcome.failures.back().reason;
    }
    share();
}

std::optional<std::string> ConversionDriver::RunEngine(std::vector<std::string> args,
                                                       platform::OutputClaim &claim,
                                                       const std::string &source,
                                                       const std::vector<std::string> &inputs,
                                                       int route_flag, RunOutcome &outcome)
{
    std::string line;
    for (std::size_t i = 0; i < args.size(); ++i)
        line += (i ? " " : "") + args[i];
    m_observer.LogCommandLine(line);
    m_observer.SetCurrentOutput(claim.FinalPath());
    m_observer.ShowProgress(0);

    std::vector<char *> argv;
    argv.reserve(args.size() + 1);
    for (auto &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<SourceSnapshot> before;
    before.reserve(inputs.size());
    for (const auto &input : inputs)
        before.push_back(SourceSnapshot::Of(input));

    m_engine_message.clear();
    m_last_report = m_tick();
    ConversionDriver *previous = g_active;
    g_active = this;
    EnableDshow(route_flag);
    const int result = m_engine(static_cast<int>(args.size()), argv.data(), &EngineReport);
    EnableDshow(0);
    g_active = previous;
    // Thousands of outputs in one batch must not keep thousands of runs' worth of freed pages.
    platform::ReturnFreeMemory();

    // Cancel wins even when it came as the engine finished: nothing of this output is kept.
    if (result == DOLMAR_STOPPED || m_cancel) {
        claim.Abandon();
        outcome.cancelled = true;
        return std::nullopt;
    }
    // The temporary file was made empty for this run: an output is there only when the engine
    // wrote something into it.
    int64_t size = 0;
    const bool made
        = result == DOLMAR_OK && IsRegularFile(claim.TemporaryPath(), &size) && size > 0;
    std::string reason;
    const auto changed = [&] {
        for (std::size_t i = 0; i < inputs.size(); ++i)
            if (before[i].ChangedBy(SourceSnapshot::Of(inputs[i])))
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
        if (claim.Commit(&reason))
            return claim.FinalPath();
    } else {
        reason = m_engine_message;
        if (reason.empty() && result == DOLMAR_OK)
            reason = Text(run_texts::kNoOutputWritten);
        else if (reason.empty())
            reason = FormatText(Text(run_texts::kEngineResult), result);
    }
    // Only this run's own temporary file goes; whatever lies under the final name stays.
    claim.Abandon();
    outcome.failures.push_back({source, reason});
    return std::nullopt;
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

int ConversionDriver::EngineReport(const char *message, double position)
{
    return g_active ? g_active->OnReport(message, position) : 0;
}

int ConversionDriver::OnReport(const char *message, double position)
{
    if (position < 0 && position > -2) {
        // Kept for the end of the run, where every failure is listed in one message.
        if (message && *message)
            m_engine_message = message;
    }
    if (position <= -0.0001)
        return 0;
    const uint32_t now = m_tick();
    if (now - m_last_report >= 500) {
        m_last_report = now;
        int percent = m_total_s > 0 ? static_cast<int>(position * 100 / m_total_s) : 0;
        m_observer.ShowProgress(std::clamp(percent, 0, 100));
    }
    // Events are handled on every report, so the window stays responsive and Cancel is quick.
    m_observer.PumpEvents();
    return m_cancel ? -1 : 0;
}

} // namespace quillet
