// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ResumeRule.h"

#include "core/BatchFile.h"

#include "TaskFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

using namespace quillet;
using test::TempDir;
using test::WriteFile;

namespace {

/// Sets the file's time of change, to the nanosecond.
void Touch(const std::string &path, int64_t ns)
{
    const timespec times[2]
        = {{ns / 1000000000, ns % 1000000000}, {ns / 1000000000, ns % 1000000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

} // namespace

TEST(ResumeRule, convertsOnlyWhatIsNotCompleteUnderItsFinalName)
{
    TempDir dir;
    const std::string source = WriteFile(dir.path() / "clip.mp4", "source").string();
    const std::string output = dir.file("clip.m4v");
    auto task = test::MakeProbedTask(source, output);
    const std::string recipe = batch_file::RecipeOf(*task);
    const MadeOutput mark{output, 6, recipe};

    struct Case
    {
        const char *what;
        const char *output_bytes; // what lies at the output's name; null: nothing
        RunFacts run;
        SourceCondition source;
        ResumeStep expected;
    };
    const Case cases[] = {
        {"never converted", nullptr, {}, SourceCondition::Unchanged, ResumeStep::Convert},
        {"made, output complete",
         "output",
         {false, std::nullopt, mark, std::nullopt},
         SourceCondition::Unchanged,
         ResumeStep::Done},
        {"made, output deleted since",
         nullptr,
         {false, std::nullopt, mark, std::nullopt},
         SourceCondition::Unchanged,
         ResumeStep::Convert},
        {"made, output changed since",
         "other bytes",
         {false, std::nullopt, mark, std::nullopt},
         SourceCondition::Unchanged,
         ResumeStep::Convert},
        {"made with other settings",
         "output",
         {false, std::nullopt, MadeOutput{output, 6, "0123"}, std::nullopt},
         SourceCondition::Unchanged,
         ResumeStep::Convert},
        {"killed after its output got its name",
         "output",
         {true, ClaimedOutput{output, recipe}, std::nullopt, std::nullopt},
         SourceCondition::Unchanged,
         ResumeStep::Done},
        {"killed while writing",
         nullptr,
         {true, ClaimedOutput{output, recipe}, std::nullopt, std::nullopt},
         SourceCondition::Unchanged,
         ResumeStep::Convert},
        {"killed, then the settings changed",
         "output",
         {true, ClaimedOutput{output, "0123"}, std::nullopt, std::nullopt},
         SourceCondition::Unchanged,
         ResumeStep::Convert},
        {"made, source gone",
         "output",
         {false, std::nullopt, mark, std::nullopt},
         SourceCondition::Gone,
         ResumeStep::SkipSourceGone},
        {"source changed", nullptr, {}, SourceCondition::Changed, ResumeStep::SkipSourceChanged},
    };
    for (const Case &c : cases) {
        std::filesystem::remove(output);
        if (c.output_bytes)
            WriteFile(output, c.output_bytes);
        const ResumeVerdict verdict = DecideResume(*task, c.source, c.run);
        EXPECT_EQ(verdict.step, c.expected) << c.what;
        if (verdict.step == ResumeStep::Done) {
            ASSERT_TRUE(verdict.made) << c.what;
            EXPECT_EQ(*verdict.made, mark) << c.what;
        }
    }
}

TEST(ResumeRule, aSourceIsTheSameOnlyWithItsSizeAndTime)
{
    TempDir dir;
    const std::string path = WriteFile(dir.path() / "clip.mp4", "12345").string();
    Touch(path, 1700000000123456789);
    const platform::FileStamp added{5, 1700000000123456789, true};

    struct Case
    {
        const char *what;
        void (*change)(const std::string &);
        std::optional<platform::FileStamp> added;
        SourceCondition expected;
    };
    const Case cases[] = {
        {"untouched", [](const std::string &) {}, added, SourceCondition::Unchanged},
        {"rewritten, same size, another time",
         [](const std::string &p) { Touch(p, 1700000000123456790); }, added,
         SourceCondition::Changed},
        {"another size, same time",
         [](const std::string &p) {
             WriteFile(p, "123456");
             Touch(p, 1700000000123456789);
         },
         added, SourceCondition::Changed},
        {"replaced by a folder",
         [](const std::string &p) {
             std::filesystem::remove(p);
             std::filesystem::create_directory(p);
         },
         added, SourceCondition::Changed},
        {"deleted", [](const std::string &p) { std::filesystem::remove(p); }, added,
         SourceCondition::Gone},
        {"unreachable when added, there now", [](const std::string &) {}, std::nullopt,
         SourceCondition::Changed},
    };
    for (const Case &c : cases) {
        std::filesystem::remove_all(path);
        WriteFile(path, "12345");
        Touch(path, 1700000000123456789);
        c.change(path);
        EXPECT_EQ(ConditionOf(path, c.added), c.expected) << c.what;
    }
}

TEST(ResumeRule, offersABatchBackUnlessItsRunMadeEveryTask)
{
    const auto batch = [](BatchPhase phase, std::initializer_list<bool> made) {
        KeptBatch b;
        b.phase = phase;
        for (const bool m : made) {
            KeptTask kept{std::make_unique<Task>(), std::nullopt, {}};
            if (m)
                kept.run.made = MadeOutput{"/out.mp4", 1, "r"};
            b.tasks.push_back(std::move(kept));
        }
        return b;
    };
    struct Case
    {
        const char *what;
        KeptBatch kept;
        bool offered;
    };
    Case cases[] = {
        {"no tasks", batch(BatchPhase::Running, {}), false},
        {"finished, all made", batch(BatchPhase::Finished, {true, true}), false},
        {"finished, one failed", batch(BatchPhase::Finished, {true, false}), true},
        {"gathered, never converted", batch(BatchPhase::Idle, {false, false}), true},
        {"killed after the last output", batch(BatchPhase::Running, {true, true}), true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(OfferRestore(c.kept), c.offered) << c.what;
}
