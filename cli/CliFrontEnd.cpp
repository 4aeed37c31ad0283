// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliFrontEnd.h"

#include "cli/TaskReport.h"

#include "app/TaskListController.h"
#include "core/BatchStore.h"
#include "platform/ChildProcess.h"

#include <unistd.h>

#include <cstdio>

namespace quillet::cli {

namespace {

// The signals that ask a run to stop: Ctrl+C, a terminal or session that goes away (a logout),
// and the polite end that `timeout`, `kill` and service managers send.
constexpr int kStopSignals[] = {SIGINT, SIGHUP, SIGTERM};

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int signal)
{
    if (g_interrupted == 0) {
        g_interrupted = signal;
        return;
    }
    // A second one ends the program at once, and its children with it: a post-processing
    // command still running would otherwise go on alone. What it leaves of an output being
    // written, the next run into that folder clears.
    platform::ChildProcess::KillChildrenNow();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

CliFrontEnd::CliFrontEnd(MainState &state)
    : m_state(state)
    , m_tty(::isatty(STDERR_FILENO) != 0)
{ }

void CliFrontEnd::SetSplit(std::string choice, int custom_mb)
{
    m_split = std::move(choice);
    m_custom_mb = custom_mb;
}

void CliFrontEnd::InstallInterruptHandler()
{
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    // No SA_RESTART: a blocking wait returns EINTR and looks whether to stop.
    action.sa_flags = 0;
    sigemptyset(&action.sa_mask);
    for (int signal : kStopSignals) {
        // A signal that was ignored when the program started (nohup) stays ignored.
        struct sigaction previous = {};
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
}

bool CliFrontEnd::Interrupted()
{
    return g_interrupted != 0;
}

int CliFrontEnd::InterruptSignal()
{
    return g_interrupted;
}

void CliFrontEnd::EndProgressLine()
{
    if (m_line_open) {
        std::fputc('\n', stderr);
        m_line_open = false;
    }
}

void CliFrontEnd::SetSummary(std::string_view caption)
{
    if (!m_state.converting || caption == m_last_caption)
        return;
    m_last_caption = std::string(caption);
    if (m_tty) {
        // One line, rewritten in place.
        std::fprintf(stderr, "\r%.*s\033[K", static_cast<int>(caption.size()), caption.data());
        m_line_open = true;
    } else {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(caption.size()), caption.data());
    }
    std::fflush(stderr);
}

void CliFrontEnd::Tell(std::string_view text, std::string_view, Icon)
{
    EndProgressLine();
    std::fprintf(stderr, "quillet-cli: %.*s\n", static_cast<int>(text.size()), text.data());
}

bool CliFrontEnd::Ask(std::string_view question, std::string_view)
{
    EndProgressLine();
    std::fprintf(stderr, "quillet-cli: %.*s %s\n", static_cast<int>(question.size()),
                 question.data(), m_answer ? "Yes" : "No");
    return m_answer;
}

void CliFrontEnd::SetConverting(bool converting)
{
    m_state.converting = converting ? 1 : 0;
    if (!converting)
        EndProgressLine();
}

void CliFrontEnd::SetCurrentOutput(const std::string &path)
{
    m_state.current_output_path = path;
    m_last_percent_logged = -100;
}

void CliFrontEnd::ShowProgress(int percent)
{
    // Without a terminal the log gets a line per tenth, not one per report.
    if (!m_tty && percent != 0 && percent != 100 && percent - m_last_percent_logged < 10)
        return;
    m_last_percent_logged = percent;
    if (m_controller)
        m_controller->ShowSummary(percent);
}

void CliFrontEnd::PumpEvents()
{
    if (g_interrupted && m_cancel) {
        m_cancel();
    }
    if (m_kept)
        m_kept->Poll();
}

void CliFrontEnd::LogCommandLine(const std::string &line)
{
    EndProgressLine();
    std::fprintf(stderr, "%s\n", line.c_str());
}

void CliFrontEnd::OutputFinished(const std::string &path)
{
    EndProgressLine();
    // With --json, standard output carries JSON lines only.
    if (m_json)
        return;
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
}

void CliFrontEnd::PrintResults(const std::vector<TaskResult> &results)
{
    EndProgressLine();
    if (m_json)
        for (const TaskResult &result : results)
            std::printf("%s\n", TaskJson(result).c_str());
    // Beside JSON lines the summary goes to standard error, so standard output stays parseable.
    if (m_summary)
        std::fputs(SummaryText(results).c_str(), m_json ? stderr : stdout);
    std::fflush(stdout);
}

} // namespace quillet::cli
