// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/MainState.h"
#include "app/SessionHost.h"
#include "core/RunObserver.h"
#include "core/TaskResult.h"
#include "texts/Texts.h"

#include <csignal>
#include <functional>
#include <string>
#include <vector>

namespace quillet {
class BatchStore;
class TaskListController;
} // namespace quillet

namespace quillet::cli {

/**
 * The terminal in place of the main window: a session without a window (the task list shows no
 * rows, see HeadlessListHost), the summary line as a progress line on standard error (the whole
 * batch's percentage and time left, and the outputs being written), messages on standard
 * error, finished outputs on standard output, and Ctrl+C (or SIGHUP, SIGTERM) as the Cancel
 * button.
 */
class CliFrontEnd final : public SessionHost, public RunObserver
{
public:
    explicit CliFrontEnd(MainState &state);

    void SetController(TaskListController *controller) { m_controller = controller; }
    /// Where the progress line's words come from (the language table); it must outlive the run.
    void SetTexts(const Texts *texts) { m_texts = texts; }
    void SetSplit(std::string choice, int custom_mb);
    /// Answer given to every Yes/No question (the Matroska subtitle offer).
    void SetAnswer(bool yes) { m_answer = yes; }
    /// summary: print each task's result after the run; json: print each as a JSON line on
    /// standard output, in place of the finished outputs.
    void SetReport(bool summary, bool json)
    {
        m_summary = summary;
        m_json = json;
    }
    /// Prints the run's per-task results as SetReport asked (nothing when it asked for none).
    void PrintResults(const std::vector<TaskResult> &results);
    void SetCancelHandler(std::function<void()> cancel) { m_cancel = std::move(cancel); }
    /// The --queue's store, whose waiting changes are written from the event pump.
    void SetKeptBatch(BatchStore *kept) { m_kept = kept; }

    /// Makes Ctrl+C, SIGHUP and SIGTERM ask for cancel instead of ending the program, so the
    /// output being written is removed and a post-processing command is stopped (a second one
    /// ends the program at once, killing its children first). A signal ignored at start-up
    /// (nohup) stays ignored. The handler does not restart interrupted calls, so a wait for a
    /// child wakes at once.
    static void InstallInterruptHandler();
    static bool Interrupted();
    /// The first stop signal that came, or 0.
    static int InterruptSignal();

    // SessionHost
    void SetSummary(std::string_view caption) override;
    std::string SplitChoiceText() const override { return m_split; }
    int CustomSplitSizeMb() const override { return m_custom_mb; }

    // Prompter
    void Tell(std::string_view text, std::string_view caption, Icon icon) override;
    bool Ask(std::string_view question, std::string_view caption) override;

    // RunObserver
    void SetConverting(bool converting) override;
    void SetCurrentOutput(const std::string &path) override;
    void ShowProgress(int percent) override;
    void ShowRunProgress(const RunProgress &progress) override;
    void PumpEvents() override;
    void LogCommandLine(const std::string &line) override;
    void OutputFinished(const std::string &path) override;
    void ShowOutput(const std::string &) override { }

private:
    void EndProgressLine();

    MainState &m_state;
    TaskListController *m_controller = nullptr;
    const Texts *m_texts = nullptr;
    std::string m_split = "No split";
    int m_custom_mb = 4000;
    bool m_answer = false;
    bool m_summary = false;
    bool m_json = false;
    std::function<void()> m_cancel;
    BatchStore *m_kept = nullptr;
    bool m_tty = false;
    bool m_line_open = false;
    int m_last_percent_logged = -100;
    std::string m_last_caption;
};

} // namespace quillet::cli
