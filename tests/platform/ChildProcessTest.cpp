// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ChildProcess.h"

#include "TempDir.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <thread>

using namespace quillet::platform;
using namespace std::chrono_literals;
using quillet::test::TempDir;

namespace {

ChildOptions Piped()
{
    ChildOptions options;
    options.output = ChildStream::Pipe;
    return options;
}

std::vector<std::string> Lines(ChildProcess &child)
{
    std::vector<std::string> lines;
    while (auto line = child.ReadLine())
        lines.push_back(*line);
    return lines;
}

bool ProcessExists(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

} // namespace

TEST(ChildProcess, argumentsReachTheProgramExactlyAsGiven)
{
    const std::vector<std::string> words = {"two words", "\"quoted\"", "a;b", "$HOME", "*", ""};
    std::vector<std::string> argv = {"printf", "%s\\n"};
    argv.insert(argv.end(), words.begin(), words.end());
    ChildProcess child(argv, Piped());
    ASSERT_TRUE(child.Started()) << child.StartError();
    EXPECT_EQ(Lines(child), words);
    EXPECT_EQ(child.Wait(), 0);
}

TEST(ChildProcess, linesLoseTheirEndsAndOverlongLinesAreCut)
{
    ChildProcess child({"printf", "dos\\r\\nunix\\n0123456789\\nlast"}, Piped());
    EXPECT_EQ(child.ReadLine(), "dos");
    EXPECT_EQ(child.ReadLine(), "unix");
    EXPECT_EQ(child.ReadLine(4), "0123");
    EXPECT_EQ(child.ReadLine(), "456789");
    EXPECT_EQ(child.ReadLine(), "last");
    EXPECT_EQ(child.ReadLine(), std::nullopt);
    EXPECT_EQ(child.Wait(), 0);
}

TEST(ChildProcess, readAllGivesUpPastItsLimit)
{
    ChildProcess small({"printf", "12345"}, Piped());
    EXPECT_EQ(small.ReadAll(5), "12345");
    ChildProcess large({"head", "-c", "100000", "/dev/zero"}, Piped());
    EXPECT_EQ(large.ReadAll(1000), std::nullopt);
}

TEST(ChildProcess, collectsBothStreamsWithoutStallingOnEither)
{
    // More than a pipe holds on each stream: reading one to its end before the other would
    // leave the child blocked on the second for ever.
    ChildOptions options;
    options.output = ChildStream::Pipe;
    options.errors = ChildStream::Pipe;
    ChildProcess child({"sh", "-c",
                        "head -c 300000 /dev/zero >&2; head -c 200000 /dev/zero; "
                        "head -c 100000 /dev/zero >&2"},
                       options);
    std::string out;
    std::string err;
    int updates = 0;
    child.Collect(out, err, [&](const std::string &) { ++updates; });
    EXPECT_EQ(out.size(), 200000u);
    EXPECT_EQ(err.size(), 400000u);
    EXPECT_GT(updates, 0);
    EXPECT_EQ(child.Wait(), 0);
}

TEST(ChildProcess, environmentChangesSetAndRemoveVariables)
{
    ASSERT_EQ(::setenv("QUILLET_CHILD_GOES", "1", 1), 0);
    ChildOptions options = Piped();
    options.environment = {"QUILLET_CHILD_SET=a=b", "QUILLET_CHILD_GOES", "PATH=/usr/bin:/bin"};
    ChildProcess child({"env"}, options);
    const std::vector<std::string> lines = Lines(child);
    ::unsetenv("QUILLET_CHILD_GOES");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "QUILLET_CHILD_SET=a=b"), lines.end());
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(),
                      [](const std::string &l) { return l.starts_with("QUILLET_CHILD_GOES"); }),
        0);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string &l) { return l.starts_with("PATH="); }),
              1);
}

TEST(ChildProcess, inheritsNoDescriptorBeyondItsStandardStreams)
{
    // A descriptor without close-on-exec, as a host program or a library may hold one.
    const int fd = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_GE(::dup2(fd, 57), 0);
    ChildProcess child({"ls", "/proc/self/fd"}, Piped());
    const std::vector<std::string> open_fds = Lines(child);
    ::close(57);
    ::close(fd);
    EXPECT_EQ(std::find(open_fds.begin(), open_fds.end(), "57"), open_fds.end());
    EXPECT_NE(std::find(open_fds.begin(), open_fds.end(), "1"), open_fds.end());
}

TEST(ChildProcess, exitStatusReadsAsTheShellReadsIt)
{
    EXPECT_EQ(ChildProcess({"sh", "-c", "exit 3"}).Wait(), 3);
    EXPECT_EQ(ChildProcess({"sh", "-c", "kill -TERM $$"}).Wait(), 128 + SIGTERM);
}

TEST(ChildProcess, aProgramThatCannotStartSaysWhy)
{
    ChildProcess child({"quillet-no-such-program"});
    EXPECT_FALSE(child.Started());
    EXPECT_NE(child.StartError().find("quillet-no-such-program"), std::string::npos);
    EXPECT_EQ(child.Wait(), -1);
    EXPECT_FALSE(ChildProcess(std::vector<std::string>{}).Started());
}

TEST(ChildProcess, aChildLeftRunningIsKilledAndReaped)
{
    pid_t pid = -1;
    {
        ChildProcess child({"sleep", "30"});
        ASSERT_TRUE(child.Started());
        pid = child.Pid();
        EXPECT_EQ(child.WaitFor(30ms), std::nullopt);
    }
    // Reaped, not a zombie: the process id no longer exists.
    EXPECT_FALSE(ProcessExists(pid));
}

TEST(ChildProcess, forkRunsWorkInACopyOfThisProcess)
{
    ChildOptions quiet;
    quiet.output = ChildStream::Discard;
    ChildProcess child = ChildProcess::Fork(
        [] {
            std::printf("not shown\n");
            return 7;
        },
        quiet);
    EXPECT_EQ(child.WaitFor(5s), 7);
    EXPECT_EQ(ChildProcess::Fork([]() -> int { throw 1; }).Wait(), 127);
}

TEST(ChildProcess, aDetachedProgramRunsOnItsOwn)
{
    TempDir dir;
    const std::string mark = dir.file("mark");
    ASSERT_TRUE(ChildProcess::StartDetached({"sh", "-c", "echo done > \"$0\"", mark}));
    for (int i = 0; i < 500 && !std::filesystem::exists(mark); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(std::filesystem::exists(mark));
    EXPECT_FALSE(ChildProcess::StartDetached({"quillet-no-such-program"}));
}

// A wait that is told to stop ends the child politely, and by force when it will not go.
TEST(ChildProcess, aStoppedWaitEndsTheChildWithTermThenKill)
{
    struct Case
    {
        const char *script;
        int status;
    };
    const Case cases[] = {
        {"echo ready; exec sleep 60", 128 + SIGTERM},
        {"trap '' TERM; echo ready; exec sleep 60", 128 + SIGKILL},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.script);
        ChildProcess child({"sh", "-c", c.script}, Piped());
        ASSERT_EQ(child.ReadLine(), "ready");
        int asked = 0;
        bool stopped = false;
        const int status = child.WaitUnless([&] { return ++asked == 3; }, 1ms, 50ms, stopped);
        EXPECT_TRUE(stopped);
        EXPECT_EQ(asked, 3);
        EXPECT_EQ(status, c.status);
    }
    // A child that ends by itself is waited for however long it takes, and not stopped.
    ChildProcess quick({"sh", "-c", "sleep 0.3; exit 4"});
    bool stopped = true;
    EXPECT_EQ(quick.WaitUnless([] { return false; }, 1ms, 1ms, stopped), 4);
    EXPECT_FALSE(stopped);
}

// What a child prints can go to this process's standard error, away from its results.
TEST(ChildProcess, standardOutputCanGoToStandardError)
{
    ChildOptions options;
    options.output = ChildStream::Errors;
    ChildProcess child = ChildProcess::Fork([&] {
        // This copy's standard error is a pipe the test reads; the child's output must land there.
        int fds[2];
        if (::pipe(fds) != 0 || ::dup2(fds[1], STDERR_FILENO) < 0)
            return 2;
        ChildProcess printer({"echo", "to the results?"}, options);
        if (printer.Wait() != 0)
            return 3;
        char said[64] = {};
        const ssize_t n = ::read(fds[0], said, sizeof said - 1);
        return n > 0 && std::string(said) == "to the results?\n" ? 0 : 4;
    });
    EXPECT_EQ(child.Wait(), 0);
}

// A signal handler that ends the program takes its children with it.
TEST(ChildProcess, killChildrenNowEndsEveryChildStillRunning)
{
    ChildProcess first({"sleep", "60"});
    ChildProcess second({"sleep", "60"});
    ChildProcess::KillChildrenNow();
    EXPECT_EQ(first.Wait(), 128 + SIGKILL);
    EXPECT_EQ(second.Wait(), 128 + SIGKILL);
}
