// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion driver's sizes: a disc plan's or a size target's rates and two passes given to
// each conversion, outputs encoded again to keep to their share, and cut outputs reported.
#include "core/ConversionDriver.h"

#include "core/DriverConversion.h"
#include "core/ListPlan.h"
#include "core/RunBudget.h"
#include "core/TwoPassRun.h"

#include <filesystem>
#include <functional>

namespace quillet {

bool ConversionDriver::SameProfile(const TaskList &tasks)
{
    return sizing::SameProfileFile(tasks);
}

void ConversionDriver::ApplyPlan(Conversion &conversion, std::size_t index,
                                 const sizing::TaskPlan &plan)
{
    conversion.budget_index = index;
    if (plan.change_rate)
        SetVideoRate(conversion.args, plan.video_kbps, conversion.engine_output);
    if (plan.two_pass)
        UseTwoPasses(conversion);
}

bool ConversionDriver::UseTwoPasses(Conversion &conversion)
{
    if (conversion.passes)
        return true;
    std::error_code error;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    // The folders of a run that was killed go now, as a sample estimate's do.
    if (!error)
        sizing::SampleFolder::SweepLeftovers(temporary);
    auto folder = std::make_unique<sizing::SampleFolder>(temporary);
    // Without a folder for the statistics the output is made in one pass, which may miss.
    if (error || !folder->Ok())
        return false;
    AskTwoPasses(conversion.args, conversion.engine_output, (folder->Path() / "passes").string());
    conversion.passes = std::move(folder);
    return true;
}

namespace {

// What an encode made again on the caller's thread reports back (the callback has no context).
thread_local std::function<int(const char *, double)> g_again_report;

int ReportAgain(const char *message, double position)
{
    return g_again_report ? g_again_report(message, position) : 0;
}

} // namespace

bool ConversionDriver::KeepToBudget(Conversion &conversion, int64_t &size, std::string &reason)
{
    const std::size_t index = *conversion.budget_index;
    for (;;) {
        const sizing::NextStep step = m_budget->OutputFinished(index, static_cast<double>(size));
        if (step.action != sizing::NextStep::Action::EncodeAgain)
            return true;
        SetVideoRate(conversion.args, step.video_kbps, conversion.engine_output);
        UseTwoPasses(conversion);
        // Logged as every run is; the front end's current output is the same one.
        std::string line;
        for (const std::string &arg : conversion.args)
            line += (line.empty() ? "" : " ") + arg;
        m_observer.LogCommandLine(line);
        std::string last_message;
        g_again_report = [&](const char *message, double position) {
            if (position < 0 && message && *message)
                last_message = message;
            m_observer.PumpEvents();
            return m_cancel ? -1 : 0;
        };
        std::vector<char *> argv;
        argv.reserve(conversion.args.size() + 1);
        for (std::string &arg : conversion.args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        const int result = TwoPassEngine(m_engine)(static_cast<int>(conversion.args.size()),
                                                   argv.data(), ReportAgain);
        g_again_report = nullptr;
        if (result == DOLMAR_STOPPED || m_cancel) {
            conversion.cancelled = true;
            return false;
        }
        if (result != DOLMAR_OK || !IsRegularFile(conversion.claim->TemporaryPath(), &size)
            || size <= 0) {
            reason = !last_message.empty() ? last_message
                                           : FormatText(Text(run_texts::kEngineResult), result);
            return false;
        }
    }
}

void ConversionDriver::TellCut(const Conversion &conversion, TaskResult &result)
{
    if (!conversion.cut_output)
        return;
    result.cut = true;
    result.output = *conversion.cut_output;
    result.kept_s = conversion.cut.kept_s;
    result.source_s = conversion.cut.source_s;
    result.output_bytes = conversion.cut.size_bytes;
}

} // namespace quillet
