// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"
#include "platform/PrivateProfile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

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

// A process killed at any moment while it rewrites a file leaves either the old or the new
// contents, never a mixture or a truncated file.
TEST(AtomicFile, aKilledWriterLeavesTheOldOrTheNewFile)
{
    TempDir dir;
    auto file = dir.path() / "profile.ini";
    const std::string old_text = "[A]\nk=" + std::string(200000, 'o') + "\n";
    const std::string new_text = "[A]\nk=" + std::string(300000, 'n') + "\n";
    ASSERT_TRUE(ReplaceFileAtomically(file, old_text));

    for (int round = 0; round < 12; ++round) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) {
                ReplaceFileAtomically(file, new_text);
                ReplaceFileAtomically(file, old_text);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(3 + round * 2));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        std::string now = ReadFile(file);
        ASSERT_TRUE(now == old_text || now == new_text) << "size " << now.size();
        EXPECT_EQ(ReadProfileString("A", "k", "", 1000000, file).size(), now.size() - 7);
    }
}
