// SPDX-License-Identifier: GPL-3.0-or-later
// Converting from the main window: the Convert command and the run observer the conversion
// driver reports to. The batch runs inside OnConvert; every engine report comes back through
// PumpEvents, which lets the window handle its events (repaints, the Cancel face of the Convert
// button, Escape) before the engine goes on.
//
// The desktop hears of the batch too: a sleep lock while it runs (SleepInhibitor), its progress
// on the taskbar entry (LauncherProgress) and, when it ends while the user is looking elsewhere,
// a notification (BatchNotifier). All three are told from the run observer's calls.
#include "MainDialog.h"

#include "texts/ui/UiText.h"

#include "BatchNotifier.h"
#include "CGradientProgress.h"
#include "CMediaSizeList.h"
#include "DesktopActions.h"
#include "LauncherProgress.h"
#include "SleepInhibitor.h"
#include "TaskListView.h"
#include "app/ConverterApp.h"
#include "core/BatchStore.h"
#include "core/ProfileApplier.h"
#include "platform/Paths.h"
#include "texts/LanguageKeys.h"
#include "texts/LanguageTable.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include <cstdio>

namespace quillet {

namespace {

/// The row's mark for a task's result.
TaskListView::Outcome RowOutcome(TaskResult::Status status)
{
    switch (status) {
    case TaskResult::Status::Made:
        return TaskListView::Outcome::Made;
    case TaskResult::Status::Failed:
        return TaskListView::Outcome::Failed;
    case TaskResult::Status::PostProcessFailed:
        return TaskListView::Outcome::PostProcessFailed;
    case TaskResult::Status::Cancelled:
        return TaskListView::Outcome::Cancelled;
    }
    return TaskListView::Outcome::Failed;
}

/// The words a row's tooltip starts with.
const LanguageKey &OutcomeKey(TaskResult::Status status)
{
    switch (status) {
    case TaskResult::Status::Made:
        return CataloguedKey("MAIN_DLG", "strTaskMadeInfo");
    case TaskResult::Status::Failed:
        break;
    case TaskResult::Status::PostProcessFailed:
        return CataloguedKey("MAIN_DLG", "strTaskPostProcessFailedInfo");
    case TaskResult::Status::Cancelled:
        return CataloguedKey("MAIN_DLG", "strTaskCancelledInfo");
    }
    return CataloguedKey("MAIN_DLG", "strTaskFailedInfo");
}

} // namespace

void MainDialog::OnConvert()
{
    // While a batch runs the button is the Cancel button.
    if (m_driver.Converting()) {
        m_batch.cancel_asked = true;
        m_driver.RequestCancel();
        return;
    }
    ConvertTasks({});
}

void MainDialog::OnConvertSelected()
{
    if (m_driver.Converting())
        return;
    std::vector<const Task *> chosen;
    for (const int row : m_list->SelectedRows())
        if (const Task *task = m_tasks.Get(row))
            chosen.push_back(task);
    if (!chosen.empty())
        ConvertTasks(chosen);
}

void MainDialog::OnConvertAgain()
{
    if (m_driver.Converting())
        return;
    for (const int row : m_list->SelectedRows())
        if (const Task *task = m_tasks.Get(row))
            m_kept->ConvertAgain(*task);
    OnConvertSelected();
}

void MainDialog::ConvertTasks(const std::vector<const Task *> &only)
{
    // A sample encode would share the machine with the batch's first conversion.
    StopSamples();
    const std::optional<RunRequest> request
        = m_session.PrepareRun(only, m_kept.get(), SimultaneousJobs());
    if (!request)
        return;
    m_batch = DesktopBatch{};
    // Tasks the kept batch has already made are reported, not run: they are not expected to
    // give an output, and a missing one is no failure.
    int converted = 0;
    for (const auto &task : m_tasks) {
        const bool asked
            = only.empty() || std::find(only.begin(), only.end(), task.get()) != only.end();
        const TaskFacts *facts = m_kept->Facts(*task);
        if (asked && !(facts && facts->run.made))
            ++converted;
    }
    m_batch.runs_expected = request->merge && converted > 1 ? 1 : converted;
    m_batch.output_folder = request->output_folder;
    const auto is_converted = [&](std::size_t row) {
        return only.empty()
            || std::find(only.begin(), only.end(), m_tasks.Get(static_cast<int>(row)))
            != only.end();
    };
    // The marks of the previous run say nothing about the rows this one converts.
    for (int row = 0; row < m_tasks.Count(); ++row)
        if (is_converted(static_cast<std::size_t>(row)))
            m_list->SetOutcome(row, TaskListView::Outcome::None, QString());
    const RunOutcome outcome = m_driver.Convert(m_tasks, *request);
    // The rows show the names the outputs were given.
    if (request->merge && !outcome.outputs.empty())
        m_controller.NoteJoinedOutput(outcome.outputs.front());
    if (outcome.started)
        m_controller.RefreshAllRows();
    // Marked after the refresh, which rewrites the cells' own tooltips.
    for (std::size_t row = 0; row < outcome.results.size(); ++row) {
        if (!is_converted(row))
            continue;
        const TaskResult &result = outcome.results[row];
        QString tooltip = UiText(m_languages, OutcomeKey(result.status));
        if (!result.reason.empty())
            tooltip += QStringLiteral(": ") + QString::fromStdString(result.reason);
        m_list->SetOutcome(static_cast<int>(row), RowOutcome(result.status), tooltip);
    }
    m_controller.ShowSummary(0);
}

void MainDialog::SetConverting(bool converting)
{
    // A refusal shown on the bar is not about the rows the list menu converts now.
    if (converting)
        SetSummaryTip({});
    if (converting && !m_batch.open) {
        m_batch.open = true;
        m_inhibitor->Take(m_tasks.Count());
        m_launcher->Show(0);
    } else if (!converting) {
        EndBatchOnDesktop();
    }
    m_state.converting = converting;
    SetSummaryPosition(0);
    UpdateButtonStates();
}

void MainDialog::SetCurrentOutput(const std::string &path)
{
    m_state.current_output_path = path;
    ++m_batch.runs_started;
}

void MainDialog::ShowProgress(int percent)
{
    m_controller.ShowSummary(percent);
    // The driver reports the whole batch's percent, which is what the taskbar shows.
    if (m_batch.open)
        m_launcher->Show(percent / 100.0);
}

void MainDialog::ShowRunProgress(const RunProgress &progress)
{
    // The list controller's line guesses from the percent alone; the driver's estimate is the
    // whole batch's, from the speeds measured so far. Until it has one, the guess stays.
    if (!m_state.converting || progress.percent <= 0 || !progress.seconds_left)
        return;
    const long left = std::lround(std::max(0.0, *progress.seconds_left));
    std::string files;
    for (const std::string &output : progress.outputs)
        files += (files.empty() ? "" : ", ") + std::string(platform::FileNameOf(output));
    if (files.empty())
        files = platform::FileNameOf(m_state.current_output_path);
    const std::string format
        = LookupKeyFormat(m_languages, CataloguedKey("MAIN_DLG", "strCompletedInfo")) + ": %d%% | "
        + LookupKeyFormat(m_languages, CataloguedKey("MAIN_DLG", "strTimeLeftInfo"))
        + ": %02d:%02d:%02d | "
        + LookupKeyFormat(m_languages, CataloguedKey("MAIN_DLG", "strDestinationFileInfo"))
        + ": %s";
    SetSummary(FormatText(format, progress.percent, static_cast<int>(left / 3600),
                          static_cast<int>(left / 60 % 60), static_cast<int>(left % 60),
                          files.c_str()));
}

int MainDialog::SimultaneousJobs() const
{
    uint32_t jobs = 0;
    // Automatic (the driver chooses from the cores and the pictures) until the user chooses; a
    // value this window does not offer counts as not chosen.
    if (m_app.Registry().ReadNumber(ConverterApp::kSettingsKey, kJobsSetting, jobs) == 0
        || jobs > static_cast<uint32_t>(kMostJobs))
        return kUnchosenJobs;
    return static_cast<int>(jobs);
}

void MainDialog::SetSimultaneousJobs(int jobs)
{
    m_app.Registry().WriteNumber(ConverterApp::kSettingsKey, kJobsSetting,
                                 static_cast<uint32_t>(std::clamp(jobs, 0, kMostJobs)));
}

void MainDialog::PumpEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void MainDialog::LogCommandLine(const std::string &line)
{
    std::fprintf(stderr, "%s\n", line.c_str());
}

void MainDialog::OutputFinished(const std::string &)
{
    ++m_batch.outputs;
}

void MainDialog::EndBatchOnDesktop()
{
    if (!m_batch.open)
        return;
    m_batch.open = false;
    m_inhibitor->Release();
    m_launcher->Hide();
    // Told only of a batch that ran (not one the merge check refused, nor one the user
    // cancelled) and only when the user is not looking at the window.
    const bool ran = m_batch.runs_started > 0 || m_batch.outputs > 0;
    const bool watched = isActiveWindow() && !isMinimized();
    if (!ran || m_batch.cancel_asked || watched)
        return;
    const int failed = std::max(0, m_batch.runs_expected - m_batch.outputs);
    m_notifier->Notify(UiText(m_languages, CataloguedKey("MAIN_DLG", "strBatchEndTitleInfo")),
                       BatchEndText(m_batch.outputs, failed),
                       UiText(m_languages, CataloguedKey("MAIN_DLG", "btnOpenOutputFolderTooltip")),
                       m_batch.output_folder);
}

QString MainDialog::BatchEndText(int converted, int failed) const
{
    std::string text = converted == 1
        ? LookupKey(m_languages, CataloguedKey("MAIN_DLG", "strBatchConvertedOneInfo"))
        : FormatText(
            LookupKeyFormat(m_languages, CataloguedKey("MAIN_DLG", "strBatchConvertedInfo")),
            converted);
    if (failed > 0)
        text += FormatText(
            LookupKeyFormat(m_languages, CataloguedKey("MAIN_DLG", "strBatchFailedInfo")), failed);
    return QString::fromStdString(text);
}

void MainDialog::ShowOutput(const std::string &path)
{
    // An output with an extension is shown selected in its folder; a name without one is
    // opened as it stands.
    if (!platform::ExtensionOf(path).empty())
        m_desktop->ShowItem(path);
    else
        m_desktop->Open(std::string(platform::WithoutExtension(path)));
}

} // namespace quillet
