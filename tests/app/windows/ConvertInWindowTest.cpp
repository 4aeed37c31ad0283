// SPDX-License-Identifier: GPL-3.0-or-later
// Converting from the window with the real engine: a batch of three generated clips, then a
// batch cancelled with the Convert button's Cancel face.
#include "CGradientProgress.h"
#include "CSkinButton.h"
#include "MediaFixtures.h"
#include "WindowHarness.h"

#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <set>

using namespace quillet;
using namespace quillet::test;
namespace fs = std::filesystem;

namespace {

std::set<fs::path> FilesIn(const fs::path &folder)
{
    std::set<fs::path> files;
    for (const auto &entry : fs::directory_iterator(folder))
        files.insert(entry.path());
    return files;
}

} // namespace

TEST(ConvertInWindow, threeClipsConvertWithProgressAndACancelledRunLeavesNothing)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    std::vector<std::string> sources;
    for (const char *name : {"first.mp4", "second.avi", "third.mkv"}) {
        const fs::path source = h.MediaFolder() / name;
        fs::copy_file(GeneratedClip(name, 4.0, 480, 360), source);
        sources.push_back(source.string());
    }
    w.AddStartFiles(sources);
    ASSERT_EQ(h.tasks.Count(), 3);

    // What the summary says while the batch runs, sampled as the window repaints.
    QStringList captions;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (captions.isEmpty() || captions.back() != w.progressBar()->caption())
            captions << w.progressBar()->caption();
    });
    sampler.start(20);
    QTest::mouseClick(w.convertButton(), Qt::LeftButton);
    sampler.stop();

    EXPECT_TRUE(h.prompter.told.empty()) << h.prompter.told.front();
    const std::set<fs::path> made = FilesIn(h.app.OutputFolder());
    ASSERT_EQ(made.size(), 3u);
    for (const fs::path &output : made) {
        const ProbedFile probed = Ffprobe(output);
        EXPECT_TRUE(probed.ok) << output;
        EXPECT_EQ(probed.count("video"), 1) << output;
        EXPECT_NEAR(probed.duration, 4.0, 0.3) << output;
    }
    bool progress_seen = false;
    for (const QString &caption : captions)
        progress_seen = progress_seen
            || (caption.startsWith("Completed: ") && caption.contains("% | Time Left: ")
                && caption.contains("| Destination File: "));
    EXPECT_TRUE(progress_seen) << captions.join('\n').toStdString();
    EXPECT_TRUE(captions.contains("Start converting"));
    // The last output is shown in the file manager; the window is idle again.
    ASSERT_EQ(h.desktop.shown.size(), 1u);
    EXPECT_EQ(fs::path(h.desktop.shown[0]).filename(), "third.mp4");
    EXPECT_EQ(w.convertButton()->text(), "&Convert");
    EXPECT_TRUE(w.addButton()->isEnabled());
    EXPECT_TRUE(w.progressBar()->caption().startsWith("Total: 3 | "));

    // A second run, cancelled with the Cancel face while its first file converts.
    bool cancel_clicked = false;
    QTimer canceller;
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        if (!cancel_clicked && w.State().converting
            && w.progressBar()->caption().startsWith("Completed: ")) {
            cancel_clicked = true;
            EXPECT_EQ(w.convertButton()->text(), "&Cancel");
            QTest::mouseClick(w.convertButton(), Qt::LeftButton);
        }
    });
    canceller.start(20);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(w.convertButton(), Qt::LeftButton);
    canceller.stop();
    EXPECT_TRUE(cancel_clicked);
    EXPECT_EQ(FilesIn(h.app.OutputFolder()), made);
    EXPECT_EQ(h.desktop.shown.size(), 1u);
    EXPECT_TRUE(h.prompter.told.empty());
    EXPECT_FALSE(w.State().converting);
    EXPECT_EQ(w.convertButton()->text(), "&Convert");
    EXPECT_TRUE(w.addButton()->isEnabled());
    EXPECT_TRUE(w.removeButton()->isEnabled());
}
