// SPDX-License-Identifier: GPL-3.0-or-later
// The window's batch kept in the state folder: a batch killed half-way is offered back and
// resumed, a changed source is shown and skipped, a damaged file is set aside, and a second
// window keeps nothing.
#include "CSkinButton.h"
#include "MediaFixtures.h"
#include "TaskListView.h"
#include "WindowHarness.h"
#include "core/BatchStore.h"
#include "platform/OutputClaim.h"

#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include <csignal>

using namespace quillet;
using namespace quillet::test;
namespace fs = std::filesystem;

namespace {

/// The finished outputs in folder, and whether a run's temporary or claim files are there too.
std::set<std::string> Outputs(const fs::path &folder, bool *leftovers = nullptr)
{
    std::set<std::string> names;
    if (leftovers)
        *leftovers = false;
    for (const auto &entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (!platform::IsOutputClaimLeftover(name))
            names.insert(name);
        else if (leftovers)
            *leftovers = true;
    }
    return names;
}

HarnessOptions OutputInto(const fs::path &folder)
{
    HarnessOptions options;
    options.output_folder = folder.string() + "/";
    return options;
}

int DoneTasks(MainDialog &w)
{
    int done = 0;
    for (const auto &task : w.Tasks())
        done += w.KeptBatch().Facts(*task) && w.KeptBatch().Facts(*task)->run.made ? 1 : 0;
    return done;
}

} // namespace

TEST(KeptBatchInWindow, aBatchKilledInItsThirdTaskIsOfferedBackAndResumedWithoutDuplicates)
{
    TempDir state, output, media;
    QStringList arguments{QString::fromStdString(state.path().string()),
                          QString::fromStdString(output.path().string())};
    for (int i = 0; i < 5; ++i) {
        // The third is long enough to be caught converting.
        const fs::path clip = media.path() / ("clip" + std::to_string(i) + ".mp4");
        fs::copy_file(GeneratedClip("clip.mp4", i == 2 ? 6.0 : 1.0), clip);
        arguments << QString::fromStdString(clip.string());
    }
    QProcess child;
    child.start(QString::fromStdString((ProgramDir() / ".." / "tests" / "quillet_kept_batch_child")
                                           .lexically_normal()
                                           .string()),
                arguments);
    ASSERT_TRUE(child.waitForStarted());
    // Killed once the kept file says the third is converting (so the first two are done there).
    const std::string third = "\"source\":\"" + (media.path() / "clip2.mp4").string() + "\"";
    const bool in_third = QTest::qWaitFor(
        [&] {
            std::ifstream file(state.path() / BatchStore::kFileName);
            const std::string text((std::istreambuf_iterator<char>(file)), {});
            const std::size_t task = text.find(third);
            return task != std::string::npos
                && text.compare(text.find("\"running\":", task), 14, "\"running\":true") == 0;
        },
        120000);
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    child.waitForFinished();
    ASSERT_TRUE(in_third) << child.readAllStandardError().toStdString();
    bool leftovers = false; // the third's files are there until a claim clears them
    EXPECT_EQ(Outputs(output.path(), &leftovers).size(), 2u);

    WindowHarness h(OutputInto(output.path()));
    h.prompter.answers = {true};
    MainDialog &w = h.Start();
    w.KeepBatch(state.path());
    EXPECT_EQ(h.prompter.asked,
              std::vector<std::string>{"Restore the 5 tasks from your last session?"});
    ASSERT_EQ(h.tasks.Count(), 5);
    EXPECT_EQ(DoneTasks(w), 2);

    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    EXPECT_EQ(
        Outputs(output.path(), &leftovers),
        (std::set<std::string>{"clip0.mp4", "clip1.mp4", "clip2.mp4", "clip3.mp4", "clip4.mp4"}));
    EXPECT_FALSE(leftovers);
    for (int i = 0; i < 5; ++i) {
        const ProbedFile probed = Ffprobe(output.path() / ("clip" + std::to_string(i) + ".mp4"));
        EXPECT_TRUE(probed.ok) << i;
        EXPECT_NEAR(probed.duration, i == 2 ? 6.0 : 1.0, 0.2) << i;
    }
}

TEST(KeptBatchInWindow,
     aChangedSourceIsShownAndSkippedADamagedFileIsSetAsideASecondWindowKeepsNothing)
{
    TempDir state, output;
    {
        WindowHarness h(OutputInto(output.path()));
        MainDialog &w = h.Start();
        w.KeepBatch(state.path());
        std::vector<std::string> sources;
        for (const char *name : {"kept.mp4", "changed.mp4"}) {
            sources.push_back((h.MediaFolder() / name).string());
            fs::copy_file(GeneratedClip("clip.mp4"), sources.back());
        }
        w.AddStartFiles(sources);
        const fs::path file = state.path() / BatchStore::kFileName;
        // The list reaches the disk by itself (written whole: a rename), within the store's
        // second.
        ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(file); }, 5000));

        // A second window while this one keeps the file: no offer, nothing kept.
        WindowHarness second(OutputInto(output.path()));
        second.Start().KeepBatch(state.path());
        EXPECT_TRUE(second.prompter.asked.empty());
        second.DestroyWindow();

        std::ofstream(sources[1], std::ios::app) << "more";
        w.close();
        // What a new session finds: the two tasks, one source changed; its row says so and
        // Convert makes only the other.
        WindowHarness again(OutputInto(output.path()));
        again.prompter.answers = {true};
        MainDialog &v = again.Start();
        v.KeepBatch(state.path());
        EXPECT_EQ(again.prompter.asked,
                  std::vector<std::string>{"Restore the 2 tasks from your last session?"});
        ASSERT_EQ(again.tasks.Count(), 2);
        EXPECT_EQ(v.ListView()->OutcomeOf(1), TaskListView::Outcome::Failed);
        QTest::mouseClick(v.ConvertButton(), Qt::LeftButton);
        EXPECT_EQ(Outputs(output.path()), std::set<std::string>{"kept.mp4"});
        EXPECT_EQ(v.ListView()->OutcomeOf(1), TaskListView::Outcome::Failed);
    }

    // A damaged file is set aside, said, and never offered.
    std::ofstream(state.path() / BatchStore::kFileName, std::ios::trunc) << "{\"format\": 1, \"ta";
    WindowHarness h(OutputInto(output.path()));
    h.Start().KeepBatch(state.path());
    EXPECT_TRUE(h.prompter.asked.empty());
    ASSERT_EQ(h.prompter.told.size(), 1u);
    EXPECT_NE(h.prompter.told[0].find("cannot be read"), std::string::npos) << h.prompter.told[0];
    EXPECT_TRUE(fs::exists(state.path() / (std::string(BatchStore::kFileName) + ".damaged")));
}
