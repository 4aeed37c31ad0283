// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/OutputClaim.h"
#include "platform/ChildProcess.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <set>

using namespace quillet::platform;
using quillet::test::ReadFile;
using quillet::test::TempDir;
using quillet::test::WriteFile;

namespace {

/// folder/clip.mp4, folder/clip (1).mp4, ...
NumberedName Sequence(const TempDir &dir, const std::string &stem = "clip",
                      const std::string &extension = ".mp4")
{
    const std::string folder = dir.path().string() + "/";
    return [=](unsigned n) {
        return folder + stem + (n ? " (" + std::to_string(n) + ")" : "") + extension;
    };
}

std::set<std::string> Names(const TempDir &dir)
{
    std::set<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(dir.path()))
        names.insert(entry.path().filename().string());
    return names;
}

} // namespace

TEST(OutputClaim, writersAtOnceGetDistinctNamesAndFinishedFilesOnly)
{
    TempDir dir;
    WriteFile(dir.path() / "clip.mp4", "an earlier output");
    OutputClaim first = OutputClaim::Claim(Sequence(dir));
    OutputClaim second = OutputClaim::Claim(Sequence(dir));
    ASSERT_TRUE(first.Claimed());
    ASSERT_TRUE(second.Claimed());
    EXPECT_EQ(first.FinalPath(), dir.file("clip (1).mp4"));
    EXPECT_EQ(second.FinalPath(), dir.file("clip (2).mp4"));

    // The engine writes the hidden temporary file, which keeps the extension.
    const std::filesystem::path temporary = first.TemporaryPath();
    EXPECT_EQ(temporary.parent_path(), dir.path());
    EXPECT_EQ(temporary.filename().string().rfind(".clip (1).quillet-", 0), 0u);
    EXPECT_EQ(temporary.extension(), ".mp4");
    EXPECT_TRUE(IsOutputClaimLeftover(temporary.filename().string()));
    EXPECT_TRUE(std::filesystem::exists(temporary));
    EXPECT_FALSE(std::filesystem::exists(first.FinalPath()));

    WriteFile(first.TemporaryPath(), "first");
    WriteFile(second.TemporaryPath(), "second");
    ASSERT_TRUE(first.Commit());
    // A program that takes no claims writes the second's name meanwhile: it moves on.
    WriteFile(dir.path() / "clip (2).mp4", "someone else's");
    ASSERT_TRUE(second.Commit());
    EXPECT_EQ(second.FinalPath(), dir.file("clip (3).mp4"));
    first = {};
    second = {};
    EXPECT_EQ(ReadFile(dir.path() / "clip (1).mp4"), "first");
    EXPECT_EQ(ReadFile(dir.path() / "clip (2).mp4"), "someone else's");
    EXPECT_EQ(ReadFile(dir.path() / "clip (3).mp4"), "second");
    EXPECT_EQ(Names(dir),
              (std::set<std::string>{"clip.mp4", "clip (1).mp4", "clip (2).mp4", "clip (3).mp4"}));
}

TEST(OutputClaim, anAbandonedOutputRemovesOnlyItsOwnFile)
{
    TempDir dir;
    {
        OutputClaim claim = OutputClaim::Claim(Sequence(dir));
        ASSERT_TRUE(claim.Claimed());
        WriteFile(claim.TemporaryPath(), "half");
        // Whatever appears under the final name is not this writer's to remove.
        WriteFile(claim.FinalPath(), "someone else's");
    }
    EXPECT_EQ(Names(dir), (std::set<std::string>{"clip.mp4"}));
    EXPECT_EQ(ReadFile(dir.path() / "clip.mp4"), "someone else's");
}

// The claim of a writer that is killed goes with it: the next writer gets the same name and
// removes the dead writer's temporary file.
TEST(OutputClaim, aKilledWriterNeitherBlocksTheNameNorLeavesItsFileForLong)
{
    TempDir dir;
    ChildProcess writer = ChildProcess::Fork([&]() -> int {
        OutputClaim claim = OutputClaim::Claim(Sequence(dir));
        WriteFile(claim.TemporaryPath(), "half written");
        std::_Exit(claim.Claimed() ? 0 : 1); // no destructor runs, as under SIGKILL
    });
    ASSERT_EQ(writer.Wait(), 0);
    ASSERT_EQ(Names(dir).size(), 2u); // its temporary file and its claim file

    OutputClaim next = OutputClaim::Claim(Sequence(dir));
    ASSERT_TRUE(next.Claimed());
    EXPECT_EQ(next.FinalPath(), dir.file("clip.mp4"));
    WriteFile(next.TemporaryPath(), "whole");
    ASSERT_TRUE(next.Commit());
    next = {};
    EXPECT_EQ(Names(dir), (std::set<std::string>{"clip.mp4"}));
    EXPECT_EQ(ReadFile(dir.path() / "clip.mp4"), "whole");
}

TEST(OutputClaim, aHeldNameIsSkippedUntilItsHolderEnds)
{
    TempDir dir;
    std::optional<OutputClaim> holder = OutputClaim::Claim(Sequence(dir));
    OutputClaim other = OutputClaim::Claim(Sequence(dir));
    EXPECT_EQ(other.FinalPath(), dir.file("clip (1).mp4"));
    holder.reset(); // gave up without an output
    OutputClaim third = OutputClaim::Claim(Sequence(dir));
    EXPECT_EQ(third.FinalPath(), dir.file("clip.mp4"));
}

TEST(OutputClaim, namesAsLongAsTheFileSystemTakesStillWork)
{
    TempDir dir;
    const std::string stem(240, 'x');
    OutputClaim claim = OutputClaim::Claim(Sequence(dir, stem, ".mkv"));
    ASSERT_TRUE(claim.Claimed());
    EXPECT_EQ(std::filesystem::path(claim.TemporaryPath()).extension(), ".mkv");
    WriteFile(claim.TemporaryPath(), "long");
    ASSERT_TRUE(claim.Commit());
    EXPECT_EQ(ReadFile(dir.path() / (stem + ".mkv")), "long");

    std::string error;
    const OutputClaim refused = OutputClaim::Claim(Sequence(dir, std::string(300, 'y')), &error);
    EXPECT_FALSE(refused.Claimed());
    EXPECT_NE(error.find("File name too long"), std::string::npos) << error;
}

TEST(OutputClaim, renamingNeverReplacesAFile)
{
    TempDir dir;
    WriteFile(dir.path() / "a", "a");
    WriteFile(dir.path() / "b", "b");
    EXPECT_EQ(RenameWithoutReplacing(dir.file("a"), dir.file("b")), EEXIST);
    EXPECT_EQ(ReadFile(dir.path() / "b"), "b");
    std::filesystem::create_symlink(dir.file("nowhere"), dir.path() / "dangling");
    EXPECT_EQ(RenameWithoutReplacing(dir.file("a"), dir.file("dangling")), EEXIST);
    EXPECT_EQ(RenameWithoutReplacing(dir.file("a"), dir.file("c")), 0);
    EXPECT_EQ(ReadFile(dir.path() / "c"), "a");

    EXPECT_FALSE(IsOutputClaimLeftover("clip.mp4"));
    EXPECT_FALSE(IsOutputClaimLeftover(".hidden.mp4"));
    EXPECT_TRUE(IsOutputClaimLeftover(".clip.mp4.quillet-claim"));
    EXPECT_TRUE(IsOutputClaimLeftover(".clip (1).quillet-4711-0.mp4"));
}

// A writer killed at any name leaves its claim and temporary files; the next claim into the
// folder, of any name, clears them, and leaves a writer at work alone.
TEST(OutputClaim, leftoversOfKilledWritersGoWithTheNextClaimOfAnyName)
{
    TempDir dir;
    ChildProcess writer = ChildProcess::Fork([&]() -> int {
        OutputClaim claim = OutputClaim::Claim(Sequence(dir, "killed"));
        WriteFile(claim.TemporaryPath(), "half written");
        std::_Exit(claim.Claimed() ? 0 : 1); // no destructor runs, as under SIGKILL
    });
    ASSERT_EQ(writer.Wait(), 0);
    ASSERT_EQ(Names(dir).size(), 2u);
    const OutputClaim at_work = OutputClaim::Claim(Sequence(dir, "busy"));
    const std::set<std::string> busy_files = Names(dir);

    const OutputClaim next = OutputClaim::Claim(Sequence(dir, "other"));
    ASSERT_TRUE(next.Claimed());
    std::set<std::string> left = Names(dir);
    for (const std::string &name : busy_files)
        EXPECT_EQ(left.erase(name), name.find("killed") == std::string::npos ? 1u : 0u) << name;
    // Only the new claim's own two files remain beside the busy writer's.
    EXPECT_EQ(left.size(), 2u);
    for (const std::string &name : left)
        EXPECT_NE(name.find("other"), std::string::npos) << name;
}

// Once the output has its name no other writer can take it: the claim file goes at once, so
// nothing hidden stays while the output is post-processed.
TEST(OutputClaim, theClaimFileGoesWhenTheOutputIsNamed)
{
    TempDir dir;
    OutputClaim claim = OutputClaim::Claim(Sequence(dir));
    WriteFile(claim.TemporaryPath(), "whole");
    ASSERT_TRUE(claim.Commit());
    EXPECT_EQ(Names(dir), (std::set<std::string>{"clip.mp4"}));
    EXPECT_EQ(OutputClaim::Claim(Sequence(dir)).FinalPath(), dir.file("clip (1).mp4"));
}

// A commit that the disk or the file system refuses fails with the reason, and what it leaves
// goes with the claim: nothing under the final name, nothing hidden.
TEST(OutputClaim, aCommitThatCannotFlushOrNameFailsAndLeavesNothing)
{
    struct Case
    {
        const char *what;
        CommitSteps steps;
        bool remove_folder;
        const char *reason;
    };
    const CommitSteps normal = OutputClaim::DefaultCommitSteps();
    const Case cases[] = {
        {"flush fails", {[](int) { return EIO; }, normal.rename}, false, "Input/output error"},
        {"cross-device rename",
         {normal.sync, [](const std::string &, const std::string &) { return EXDEV; }},
         false,
         "Invalid cross-device link"},
        {"read-only file system",
         {normal.sync, [](const std::string &, const std::string &) { return EROFS; }},
         false,
         "Read-only file system"},
        {"folder removed", normal, true, "No such file or directory"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir parent;
        const std::filesystem::path folder = parent.path() / "out";
        std::filesystem::create_directory(folder);
        const std::string stem = (folder / "clip").string();
        std::optional<OutputClaim> claim
            = OutputClaim::Claim([&](unsigned n) { return stem + std::to_string(n) + ".mp4"; });
        ASSERT_TRUE(claim->Claimed());
        WriteFile(claim->TemporaryPath(), "whole");
        if (c.remove_folder)
            std::filesystem::remove_all(folder);
        OutputClaim::SetCommitSteps(c.steps);
        std::string error;
        const bool committed = claim->Commit(&error);
        OutputClaim::SetCommitSteps(normal);
        EXPECT_FALSE(committed);
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        claim.reset();
        EXPECT_TRUE(!std::filesystem::exists(folder) || std::filesystem::is_empty(folder));
    }
}
