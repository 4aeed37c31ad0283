// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char **environ;

namespace quillet::platform {

namespace {

std::vector<char *> Pointers(const std::vector<std::string> &argv)
{
    std::vector<char *> pointers;
    for (const auto &a : argv)
        pointers.push_back(const_cast<char *>(a.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

int Spawn(const std::vector<std::string> &argv, pid_t &pid)
{
    auto args = Pointers(argv);
    return posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ);
}

} // namespace

ProcessResult RunAndWait(const std::vector<std::string> &argv)
{
    ProcessResult result;
    if (argv.empty() || argv.front().empty()) {
        result.error = "no program to start";
        return result;
    }
    pid_t pid = -1;
    if (int rc = Spawn(argv, pid); rc != 0) {
        result.error = "cannot start " + argv.front() + ": " + std::strerror(rc);
        return result;
    }
    result.started = true;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            result.error = std::string("lost track of the program: ") + std::strerror(errno);
            return result;
        }
    }
    result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

bool StartDetached(const std::vector<std::string> &argv)
{
    if (argv.empty())
        return false;
    // A double fork leaves the program to init, so no zombie waits for this process.
    pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        pid_t grandchild = -1;
        int rc = Spawn(argv, grandchild);
        ::_exit(rc == 0 ? 0 : 127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace quillet::platform
