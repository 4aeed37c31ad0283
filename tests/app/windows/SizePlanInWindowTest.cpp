// SPDX-License-Identifier: GPL-3.0-or-later
// What a Convert will aim for, shown before it: the batch planned onto a disc size, and the sizes
// sample encodes measure while the window is idle.
#include "CCustomSizeDlg.h"
#include "CGradientProgress.h"
#include "CMediaSizeList.h"
#include "CProfileComboBox.h"
#include "CSkinButton.h"
#include "TaskListView.h"
#include "WindowHarness.h"

#include <QLineEdit>
#include <QTest>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

using namespace quillet;
using namespace quillet::test;

namespace {

// MPEG-4 Part 2 at 1280x720 and MP3: a disc-family profile, so the batch shares one size.
constexpr const char *kDivxFile = "hd_divxavi.ini";
constexpr const char *kDivxSection = "HD DivX AVI (1280x720)";
constexpr double kListMb = 1048576.0;
constexpr double kSplitMb = 1024000.0;
const QColor kOverflowRed(200, 30, 30);

void UseProfile(MainDialog &w, const char *file, const char *section)
{
    w.ProfilePicker()->SelectProfile(file, section);
    w.OnProfileSelected();
}

void ChooseSplit(MainDialog &w, const QString &entry)
{
    CMediaSizeList *sizes = w.MediaSizeList();
    const int index = sizes->findText(entry);
    ASSERT_GE(index, 0) << entry.toStdString();
    sizes->setCurrentIndex(index);
    emit sizes->activated(index);
}

/// "Custom" with its dialog answered as a user does.
void ChooseCustom(MainDialog &w, int megabytes)
{
    ActOnModal([megabytes](QWidget *modal) {
        auto *dialog = qobject_cast<CCustomSizeDlg *>(modal);
        if (!dialog)
            return false;
        dialog->SizeEdit()->setText(QString::number(megabytes));
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        return true;
    });
    ChooseSplit(w, QStringLiteral("Custom"));
}

QString SizeCell(const MainDialog &w, int row)
{
    return w.ListView()->topLevelItem(row)->text(3);
}

/// The megabytes a size cell shows ("~" and " MB" aside).
double CellMb(const MainDialog &w, int row)
{
    QString text = SizeCell(w, row);
    text.remove(QLatin1Char('~')).remove(QStringLiteral(" MB"));
    return text.toDouble();
}

} // namespace

TEST(SizePlanInWindow, aSmallSizeShowsThePlannedSizesAndOneTooSmallTheRefusal)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    UseProfile(w, kDivxFile, kDivxSection);
    AddCopies(h, {"a.mp4", "b.mp4", "c.mp4"}, GeneratedClip("plan.mp4", 2.0));
    std::vector<QString> estimates;
    std::vector<double> estimates_mb;
    for (int row = 0; row < 3; ++row) {
        estimates.push_back(SizeCell(w, row));
        estimates_mb.push_back(CellMb(w, row));
    }

    // The profile's own rates need more than 2 MB, its lowest ones less.
    ChooseCustom(w, 2);
    const double capacity_mb = 2 * kSplitMb / kListMb;
    double planned_mb = 0;
    for (int row = 0; row < 3; ++row) {
        EXPECT_LT(CellMb(w, row), estimates_mb[static_cast<std::size_t>(row)]);
        planned_mb += CellMb(w, row);
    }
    EXPECT_LE(planned_mb, capacity_mb);
    EXPECT_GE(planned_mb, 0.9 * capacity_mb);
    const CGradientProgress *bar = w.ProgressBar();
    EXPECT_EQ(bar->maximum(), 100);
    // The cells are rounded to hundredths, the bar to whole percent.
    EXPECT_NEAR(bar->value(), planned_mb * 100 / capacity_mb, 2.0);
    EXPECT_TRUE(bar->Caption().endsWith(QStringLiteral("| planned to fit 2.0 MB")))
        << bar->Caption().toStdString();
    EXPECT_TRUE(bar->Caption().contains(QStringLiteral("%1 MB").arg(planned_mb, 0, 'f', 2)))
        << bar->Caption().toStdString();

    // Even the lowest rates need more than 1 MB: the part beyond in red, how far in the line,
    // and the driver's refusal in its tip.
    ChooseCustom(w, 1);
    EXPECT_GT(bar->maximum(), 100);
    EXPECT_EQ(bar->GradientColors().back(), kOverflowRed);
    EXPECT_TRUE(bar->Caption().endsWith(QStringLiteral("| 1.0 MB: %1% full").arg(bar->maximum())))
        << bar->Caption().toStdString();
    EXPECT_TRUE(bar->toolTip().startsWith(QStringLiteral("These 3 files need at least ")))
        << bar->toolTip().toStdString();
    EXPECT_TRUE(bar->toolTip().endsWith(QStringLiteral("; Custom holds 1.0 MB")));
    h.prompter.told.clear();
    int runs = 0;
    w.Driver().SetEngine([&](int, char **, ProgressCallback) { return ++runs, DOLMAR_OK; });
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    EXPECT_EQ(runs, 0);
    ASSERT_EQ(h.prompter.told.size(), 1u);
    EXPECT_EQ(QString::fromStdString(h.prompter.told[0]), bar->toolTip());

    ChooseSplit(w, QStringLiteral("No split"));
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(SizeCell(w, row), estimates[static_cast<std::size_t>(row)]);
    EXPECT_NE(bar->GradientColors().back(), kOverflowRed);
    EXPECT_TRUE(bar->toolTip().isEmpty());
}

// A profile outside the disc family limits each output on its own: the driver refuses the one
// file that cannot fit and converts the rest, and the window names it as the driver will.
TEST(SizePlanInWindow, withALimitOnEachOutputTheFileThatCannotFitIsNamed)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    UseProfile(w, "hd_wmv.ini", "HD WMV (1280x720)");
    AddCopies(h, {"short.mp4"}, GeneratedClip("plan.mp4", 2.0));
    AddCopies(h, {"long.mp4"}, GeneratedClip("long.mp4", 5.0));
    const double short_estimate_mb = CellMb(w, 0);
    ChooseCustom(w, 1);
    const CGradientProgress *bar = w.ProgressBar();
    EXPECT_LT(CellMb(w, 0), short_estimate_mb);
    EXPECT_EQ(bar->GradientColors().back(), kOverflowRed);
    EXPECT_TRUE(bar->toolTip().startsWith(QStringLiteral("long.mp4: This file needs at least ")))
        << bar->toolTip().toStdString();

    h.prompter.told.clear();
    w.Driver().SetEngine([](int, char **, ProgressCallback) { return DOLMAR_OK; });
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    ASSERT_FALSE(h.prompter.told.empty());
    EXPECT_TRUE(QString::fromStdString(h.prompter.told.back()).contains(bar->toolTip()))
        << h.prompter.told.back();
}

namespace {

// VP9 at a constant quality: the model can only guess its size.
constexpr const char *kWebFile = "web.ini";
constexpr const char *kVp9Section = "Web WebM VP9 Full HD (1920x1080)";

/**
 * The real engine for sample encodes, each run held at its first report until the test lets it
 * go (runs are let go in the order they started), and what each run returned.
 */
class HeldSampleEngine
{
public:
    std::atomic<int> started{0};
    std::atomic<int> let_go{0};
    std::atomic<int> ended{0};
    std::atomic<bool> on_window_thread{false};

    ConversionDriver::EngineFn Fn(std::thread::id window_thread)
    {
        return [this, window_thread](int argc, char **argv, ProgressCallback report) {
            on_window_thread = on_window_thread || std::this_thread::get_id() == window_thread;
            s_self = this;
            s_run = ++started;
            s_report = report;
            const int result = ffmain(argc, argv, &Held);
            std::lock_guard lock(m_mutex);
            m_results.push_back(result);
            ++ended;
            return result;
        };
    }
    int Result(std::size_t run)
    {
        std::lock_guard lock(m_mutex);
        return run < m_results.size() ? m_results[run] : -12345;
    }

private:
    static int Held(const char *message, double position)
    {
        // Bounded, so a window that never lets go fails the test instead of hanging it.
        for (int i = 0; i < 6000 && position >= 0 && s_self->let_go < s_run; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return s_report(message, position);
    }
    static thread_local HeldSampleEngine *s_self;
    static thread_local int s_run;
    static thread_local ProgressCallback s_report;
    std::mutex m_mutex;
    std::vector<int> m_results;
};

thread_local HeldSampleEngine *HeldSampleEngine::s_self = nullptr;
thread_local int HeldSampleEngine::s_run = 0;
thread_local ProgressCallback HeldSampleEngine::s_report = nullptr;

bool WaitFor(const std::function<bool()> &condition)
{
    return QTest::qWaitFor(condition, 120000);
}

} // namespace

TEST(SamplesInWindow, aGuessIsMeasuredOffTheWindowsThreadAndShownInTheRowAndTheTotals)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    UseProfile(w, kWebFile, kVp9Section);
    HeldSampleEngine engine;
    engine.let_go = 1000;
    w.SetSampleEngine(engine.Fn(std::this_thread::get_id()));
    AddCopies(h, {"crf.mp4"}, GeneratedClip("crf.mp4", 1.0));
    EXPECT_TRUE(SizeCell(w, 0).startsWith(QLatin1Char('~'))) << SizeCell(w, 0).toStdString();

    ASSERT_TRUE(WaitFor([&] { return !SizeCell(w, 0).startsWith(QLatin1Char('~')); }));
    EXPECT_FALSE(engine.on_window_thread);
    EXPECT_EQ(engine.Result(0), DOLMAR_OK);
    EXPECT_GT(CellMb(w, 0), 0);
    EXPECT_TRUE(w.ProgressBar()->Caption().contains(QStringLiteral(": ") + SizeCell(w, 0)))
        << w.ProgressBar()->Caption().toStdString();
    EXPECT_FALSE(w.Sampling());
}

TEST(SamplesInWindow, removingTheTaskOrConvertingStopsItsMeasureAndTheRestIsMeasuredAfter)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    UseProfile(w, kWebFile, kVp9Section);
    HeldSampleEngine engine;
    w.SetSampleEngine(engine.Fn(std::this_thread::get_id()));
    AddCopies(h, {"first.mp4", "second.mp4"}, GeneratedClip("crf.mp4", 1.0));

    // The first task goes while its sample is held inside the engine: the window still answers.
    ASSERT_TRUE(WaitFor([&] { return engine.started == 1; }));
    ClickRow(w, 0);
    w.OnRemoveSelected();
    engine.let_go = 1;
    ASSERT_TRUE(WaitFor([&] { return engine.ended == 1; }));
    EXPECT_EQ(engine.Result(0), DOLMAR_STOPPED);
    ASSERT_EQ(w.ListView()->topLevelItemCount(), 1);
    EXPECT_EQ(w.ListView()->topLevelItem(0)->text(0), QStringLiteral("second.mp4"));
    EXPECT_TRUE(SizeCell(w, 0).startsWith(QLatin1Char('~')));

    // Convert while the second one's sample is held: the batch stops it before its first run,
    // so the two never share the machine.
    ASSERT_TRUE(WaitFor([&] { return engine.started == 2; }));
    bool sampling_when_converting = true;
    bool sample_ended = false;
    w.Driver().SetEngine([&](int, char **, ProgressCallback) {
        sampling_when_converting = w.Sampling();
        engine.let_go = 2;
        sample_ended = QTest::qWaitFor([&] { return engine.ended == 2; }, 60000);
        return DOLMAR_OK;
    });
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    EXPECT_FALSE(sampling_when_converting);
    EXPECT_TRUE(sample_ended);
    EXPECT_EQ(engine.Result(1), DOLMAR_STOPPED);

    // Idle again, the task left is measured.
    engine.let_go = 1000;
    ASSERT_TRUE(WaitFor([&] { return !SizeCell(w, 0).startsWith(QLatin1Char('~')); }));
    EXPECT_EQ(engine.Result(2), DOLMAR_OK);
}
