// SPDX-License-Identifier: GPL-3.0-or-later
// Sample estimates while the window is idle: a task whose size the model can only guess (a
// quality-based profile: "~" in its row) is measured by a few short encodes (SampleWorker) on a
// thread of its own, one task at a time, once the list has been left alone for a moment. The
// measure is taken for the task only while it and its recipe are as they were when it began; a
// task that goes or changes stops its measure, and so does a batch (the poll sees it start, and
// StopSamples stops it at once). The rows and the totals line show what was measured
// (TaskListHost::MeasuredBytes) until the task's recipe changes. The summary bar's tip, set here
// too, holds the words of a plan the driver will refuse.
#include "MainDialog.h"

#include "CGradientProgress.h"
#include "core/BatchFile.h"
#include "core/ProfileApplier.h"

#include <algorithm>
#include <set>

namespace quillet {

namespace {

/// A measure starts when the list was left alone this long: adding a folder is not slowed down
/// by encodes that the next file's summary would stop again.
constexpr int kSampleIdleMs = 400;
/// How often a running measure is looked at.
constexpr int kSamplePollMs = 40;

} // namespace

void MainDialog::SetSampleEngine(ConversionDriver::EngineFn engine)
{
    m_sample_engine = std::move(engine);
}

void MainDialog::SetUpSamples()
{
    if (m_samples_set_up)
        return;
    m_samples_set_up = true;
    m_sample_idle.setSingleShot(true);
    m_sample_idle.setInterval(kSampleIdleMs);
    m_sample_poll.setInterval(kSamplePollMs);
    connect(&m_sample_idle, &QTimer::timeout, this, &MainDialog::StartNextSample);
    connect(&m_sample_poll, &QTimer::timeout, this, &MainDialog::PollSamples);
}

std::optional<double> MainDialog::MeasuredBytes(int row) const
{
    const Task *task = m_tasks.Get(row);
    if (!task)
        return std::nullopt;
    const auto found = m_measured.find(task);
    if (found == m_measured.end() || found->second.recipe != batch_file::RecipeOf(*task))
        return std::nullopt;
    return found->second.bytes;
}

void MainDialog::IdleSummaryShown()
{
    SetUpSamples();
    std::set<const Task *> present;
    for (const auto &task : m_tasks)
        present.insert(task.get());
    // A measure of a task that went or changed tells nothing any more.
    if (m_sample
        && (!present.contains(m_sample->Source())
            || batch_file::RecipeOf(*m_sample->Source()) != m_sample->Recipe()))
        StopSamples();
    std::erase_if(m_measured, [&](const auto &entry) { return !present.contains(entry.first); });
    m_sample_idle.start();
}

void MainDialog::SetSummaryTip(std::string_view text)
{
    // A refused plan's full words; the bar's own text keeps the totals.
    const QString tip = QString::fromUtf8(text.data(), qsizetype(text.size()));
    m_progress->setToolTip(tip);
    m_progress->setAccessibleDescription(tip);
}

void MainDialog::StopSamples()
{
    if (!m_sample)
        return;
    m_sample->Stop();
    m_retired.push_back(std::move(m_sample));
    m_sample_poll.start();
}

void MainDialog::StartNextSample()
{
    if (m_sample || m_state.converting || m_driver.Converting())
        return;
    for (const auto &task : m_tasks) {
        if (!EstimateIsApproximate(*task))
            continue;
        const auto found = m_measured.find(task.get());
        if (found != m_measured.end() && found->second.recipe == batch_file::RecipeOf(*task))
            continue;
        m_sample = std::make_unique<sizing::SampleWorker>(*task, m_sample_engine);
        m_sample_poll.start();
        return;
    }
}

void MainDialog::PollSamples()
{
    std::erase_if(m_retired, [](const auto &worker) { return worker->Done(); });
    if (m_sample && (m_state.converting || m_driver.Converting()))
        StopSamples();
    if (m_sample && m_sample->Done()) {
        const std::unique_ptr<sizing::SampleWorker> done = std::move(m_sample);
        const sizing::SampleResult &result = done->Result();
        int row = -1;
        for (int i = 0; i < m_tasks.Count(); ++i)
            if (m_tasks.Get(i) == done->Source())
                row = i;
        if (row >= 0 && result.status != sizing::SampleResult::Status::Cancelled
            && batch_file::RecipeOf(*done->Source()) == done->Recipe()) {
            Measured &measured = m_measured[done->Source()];
            measured.recipe = done->Recipe();
            measured.bytes.reset();
            // A failed sample is not tried again for the same recipe; the guess stays.
            if (result.status == sizing::SampleResult::Status::Measured)
                measured.bytes = result.bytes;
            m_controller.RefreshRow(row);
            // The totals too; and the next task is measured once the window is idle again.
            m_controller.ShowSummary(0);
        } else {
            m_sample_idle.start();
        }
    }
    if (!m_sample && m_retired.empty())
        m_sample_poll.stop();
}

} // namespace quillet
