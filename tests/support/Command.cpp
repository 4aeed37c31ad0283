// SPDX-License-Identifier: GPL-3.0-or-later
#include "Command.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

extern char **environ;

namespace quillet::test {

namespace {

void drain(int out_fd, int err_fd, std::string &out, std::string &err)
{
    pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
    int open_count = 2;
    char buffer[65536];
    while (open_count > 0) {
        if (poll(fds, 2, -1) < 0)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open_count;
            } else {
                (i == 0 ? out : err).append(buffer, static_cast<size_t>(n));
            }
        }
    }
}

} // namespace

CommandResult RunCommand(const std::vector<std::string> &argv,
                         const std::vector<std::string> &extra_env)
{
    int out_pipe[2], err_pipe[2];
    if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

    std::vector<char *> args;
    for (const auto &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);

    std::vector<std::string> env_text;
    for (char **e = environ; *e; ++e)
        env_text.emplace_back(*e);
    for (const auto &e : extra_env) {
        auto name = e.substr(0, e.find('=') + 1);
        std::erase_if(env_text, [&](const std::string &x) { return x.rfind(name, 0) == 0; });
        env_text.push_back(e);
    }
    std::vector<char *> env;
    for (auto &e : env_text)
        env.push_back(e.data());
    env.push_back(nullptr);

    pid_t pid = -1;
    int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out_pipe[1]);
    close(err_pipe[1]);

    CommandResult result;
    if (rc != 0) {
        close(out_pipe[0]);
        close(err_pipe[0]);
        result.exit_code = 127;
        result.err = std::string("cannot start ") + argv.front() + ": " + std::strerror(rc);
        return result;
    }
    drain(out_pipe[0], err_pipe[0], result.out, result.err);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace quillet::test
