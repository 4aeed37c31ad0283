// SPDX-License-Identifier: GPL-3.0-or-later
// Converting from the main window: the Convert command and the run observer the conversion
// driver reports to. The batch runs inside OnConvert; every engine report comes back through
// PumpEvents, which lets the window handle its events (repaints, the Cancel face of the Convert
// button, Escape) before the engine goes on.
#include "MainDialog.h"

#include "CGradientProgress.h"
#include "CMediaSizeList.h"
#include "DesktopActions.h"
#include "app/ConverterApp.h"
#include "core/ProfileApplier.h"
#include "platform/Paths.h"

#include <QCoreApplication>

#include <cstdio>

namespace quillet {

void MainDialog::OnConvert()
{
    // While a batch runs the button is the Cancel button.
    if (m_driver.Converting()) {
        m_driver.RequestCancel();
        return;
    }
    RunRequest request;
    request.split_choice = m_sizes->SelectedText();
    request.custom_split_mb = m_sizes->CustomSizeMb();
    request.output_folder = m_app.OutputFolder();
    request.program_folder = m_app.ProgramFolder();
    request.merge = m_app.merge_flag != 0;
    request.current_profile = m_state.current_profile;
    m_state.total_size_mb = TotalEstimatedSizeMb(m_tasks);
    request.total_estimated_mb = m_state.total_size_mb;
    const RunOutcome outcome = m_driver.Convert(m_tasks, request);
    // The rows show the names the outputs were given.
    if (outcome.started)
        m_controller.RefreshAllRows();
    m_controller.ShowSummary(0);
}

void MainDialog::SetConverting(bool converting)
{
    m_state.converting = converting ? 1 : 0;
    SetSummaryPosition(0);
    UpdateButtonStates();
}

void MainDialog::SetCurrentOutput(const std::string &path)
{
    m_state.current_output_path = path;
}

void MainDialog::ShowProgress(int percent)
{
    m_controller.ShowSummary(percent);
}

void MainDialog::PumpEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void MainDialog::LogCommandLine(const std::string &line)
{
    std::fprintf(stderr, "%s\n", line.c_str());
}

void MainDialog::OutputFinished(const std::string &) { }

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
