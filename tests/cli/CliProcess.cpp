// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char **environ;

namespace quillet::test {

WatchedRun RunWatched(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                      const std::function<void(const std::string &, int)> &on_err)
{
    int out_pipe[2], err_pipe[2];
    ::pipe2(out_pipe, O_CLOEXEC);
    ::pipe2(err_pipe, O_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

    std::vector<std::string> env_text;
    for (char **e = environ; *e; ++e)
        env_text.emplace_back(*e);
    for (const auto &e : env) {
        auto name = e.substr(0, e.find('=') + 1);
        std::erase_if(env_text, [&](const std::string &x) { return x.rfind(name, 0) == 0; });
        env_text.push_back(e);
    }
    std::vector<char *> envp, args;
    for (auto &e : env_text)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    for (const auto &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);

    WatchedRun run;
    pid_t pid = -1;
    int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    if (rc != 0) {
        ::close(out_pipe[0]);
        ::close(err_pipe[0]);
        return run;
    }
    pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    int open_count = 2;
    char buffer[4096];
    while (open_count > 0) {
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open_count;
                continue;
            }
            (i == 0 ? run.out : run.err).append(buffer, static_cast<std::size_t>(n));
            if (i == 1 && on_err)
                on_err(run.err, pid);
        }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

} // namespace quillet::test
