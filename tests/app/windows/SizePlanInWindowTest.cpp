// SPDX-License-Identifier: GPL-3.0-or-later
// What a Convert will aim for, shown before it: the batch planned onto a disc size.
#include "CCustomSizeDlg.h"
#include "CGradientProgress.h"
#include "CMediaSizeList.h"
#include "CProfileComboBox.h"
#include "CSkinButton.h"
#include "TaskListView.h"
#include "WindowHarness.h"

#include <QLineEdit>
#include <QTest>

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
