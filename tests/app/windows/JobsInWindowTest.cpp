// SPDX-License-Identifier: GPL-3.0-or-later
// Simultaneous conversions chosen in the settings menu: kept in the settings, and a batch that
// converts two files at once with the whole batch's progress.
#include "CGradientProgress.h"
#include "CSkinButton.h"
#include "MediaFixtures.h"
#include "WindowHarness.h"

#include <QMenu>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace quillet;
using namespace quillet::test;
namespace fs = std::filesystem;

TEST(JobsInWindow, theMenusChoiceIsKeptAndTwoJobsConvertFourClipsToTheEnd)
{
    HarnessOptions options;
    options.simultaneous_jobs = -1;
    WindowHarness h(options);
    MainDialog &w = h.Start();
    EXPECT_EQ(w.SimultaneousJobs(), 0); // automatic until chosen

    w.OnSettingsButton();
    ASSERT_TRUE(QTest::qWaitFor([] { return OpenPopupMenu() != nullptr; }, 1000));
    QAction *submenu = FindAction(w.OpenMenu(), "Simultaneous conversions");
    ASSERT_TRUE(submenu && submenu->menu());
    EXPECT_EQ(MenuTexts(submenu->menu()), QStringList({"Automatic", "1", "2", "3", "4"}));
    EXPECT_TRUE(FindAction(submenu->menu(), "Automatic")->isChecked());
    FindAction(submenu->menu(), "2")->trigger();
    w.OpenMenu()->close();
    EXPECT_EQ(h.SettingNumber(MainDialog::kJobsSetting), 2u);
    EXPECT_EQ(w.SimultaneousJobs(), 2);

    const std::vector<std::string> names{"clip0.mp4", "clip1.mp4", "clip2.mp4", "clip3.mp4"};
    AddCopies(h, names, GeneratedClip("clip.mp4", 2.0));
    // The summary line while the batch runs: two outputs written at once, and its end.
    QStringList captions;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (captions.isEmpty() || captions.back() != w.ProgressBar()->Caption())
            captions << w.ProgressBar()->Caption();
    });
    sampler.start(20);
    int highest = 0;
    QObject::connect(w.ProgressBar(), &QProgressBar::valueChanged,
                     [&](int value) { highest = std::max(highest, value); });
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    sampler.stop();

    EXPECT_TRUE(h.prompter.told.empty());
    for (const std::string &name : names)
        EXPECT_NEAR(Ffprobe(fs::path(h.app.OutputFolder()) / name).duration, 2.0, 0.2) << name;
    const QString joined = captions.join('\n');
    EXPECT_TRUE(joined.contains(QRegularExpression("File: clip\\d\\.mp4, clip\\d\\.mp4")))
        << joined.toStdString();
    EXPECT_EQ(highest, 100);
}
