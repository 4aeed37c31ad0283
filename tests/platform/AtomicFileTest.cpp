// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"
#include "platform/ChildProcess.h"
#include "platform/PrivateProfile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace quillet::platform;
using quillet::test::ReadFile;
using quillet::test::TempDir;

TEST(AtomicFile, keepsThePermissionsOfTheFileItReplaces)
{
    TempDir dir;
    auto file = dir.path() / "f.txt";
    ASSERT_TRUE(ReplaceFileAtomically(file, "one"));
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    ASSERT_TRUE(ReplaceFileAtomically(file, "two"));
    struct stat st;
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadFile(file), "two");
}

// A writer killed in the middle of writing the new contents leaves the old file, never a
// mixture or a truncated file. The kernel ends the writer (SIGXFSZ) at the byte where its file
// size limit lies, so each round's kill lands mid-write, at a different byte.
TEST(AtomicFile, aWriterKilledMidWriteLeavesTheOldFile)
{
    TempDir dir;
    auto file = dir.path() / "profile.ini";
    const std::string old_text = "[A]\nk=" + std::string(200000, 'o') + "\n";
    const std::string new_text = "[A]\nk=" + std::string(300000, 'n') + "\n";
    ASSERT_TRUE(ReplaceFileAtomically(file, old_text));

    for (const rlim_t limit : {rlim_t{1}, rlim_t{4096}, rlim_t{65537}, rlim_t{299999}}) {
        SCOPED_TRACE(limit);
        ChildProcess writer = ChildProcess::Fork([&] {
            const rlimit no_core{0, 0};
            const rlimit size{limit, limit};
            ::setrlimit(RLIMIT_CORE, &no_core);
            ::setrlimit(RLIMIT_FSIZE, &size);
            ReplaceFileAtomically(file, new_text);
            return 0;
        });
        // Ended by the limit, not by finishing: the kill did land inside the write.
        ASSERT_EQ(writer.Wait(), 128 + SIGXFSZ);
        EXPECT_EQ(ReadFile(file), old_text);
        EXPECT_EQ(ReadProfileString("A", "k", "", 1000000, file).size(), old_text.size() - 7);
    }
    // What the killed writers left beside the file is theirs alone, hidden and never read.
    for (const auto &entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_TRUE(entry.path() == file || entry.path().filename().string().starts_with("."));
}
