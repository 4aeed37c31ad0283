// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChildProcess.h"

#include "MkvError.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

extern char **environ;

namespace mkvextract {

namespace {

/// posix_spawn's file actions, destroyed on every path out.
class SpawnActions
{
public:
    SpawnActions() { posix_spawn_file_actions_init(&m_actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&m_actions); }
    SpawnActions(const SpawnActions &) = delete;
    SpawnActions &operator=(const SpawnActions &) = delete;
    posix_spawn_file_actions_t *get() { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions;
};

/// This process's environment with the locale forced to C.UTF-8 (see the class comment).
std::vector<std::string> childEnvironment()
{
    std::vector<std::string> env;
    for (char **e = environ; e && *e; ++e) {
        std::string_view entry(*e);
        if (entry.starts_with("LC_ALL=") || entry.starts_with("LANGUAGE="))
            continue;
        env.emplace_back(entry);
    }
    env.emplace_back("LC_ALL=C.UTF-8");
    return env;
}

std::vector<char *> pointers(std::vector<std::string> &texts)
{
    std::vector<char *> result;
    result.reserve(texts.size() + 1);
    for (auto &t : texts)
        result.push_back(t.data());
    result.push_back(nullptr);
    return result;
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string> &argv)
    : m_program(argv.at(0))
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw MkvError(MkvFailure::Unreadable,
                       "cannot make a pipe for " + m_program + ": " + std::strerror(errno));
    UniqueFd read_end(fds[0]);
    UniqueFd write_end(fds[1]);

    SpawnActions actions;
    posix_spawn_file_actions_addopen(actions.get(), 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(actions.get(), write_end.get(), 1);
    posix_spawn_file_actions_addopen(actions.get(), 2, "/dev/null", O_WRONLY, 0);
    // The host program may hold descriptors without close-on-exec; the child needs none of them.
    posix_spawn_file_actions_addclosefrom_np(actions.get(), 3);

    std::vector<std::string> args(argv);
    std::vector<std::string> env = childEnvironment();
    auto arg_pointers = pointers(args);
    auto env_pointers = pointers(env);
    int rc = posix_spawnp(&m_pid, m_program.c_str(), actions.get(), nullptr, arg_pointers.data(),
                          env_pointers.data());
    if (rc != 0) {
        m_pid = -1;
        throw MkvError(MkvFailure::Unreadable,
                       "cannot start " + m_program + ": " + std::strerror(rc));
    }
    m_out = std::move(read_end);
}

ChildProcess::~ChildProcess()
{
    m_out.reset();
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) { }
    }
}

bool ChildProcess::fill()
{
    if (m_eof)
        return false;
    char chunk[4096];
    for (;;) {
        ssize_t n = ::read(m_out.get(), chunk, sizeof chunk);
        if (n > 0) {
            m_buffer.append(chunk, static_cast<std::size_t>(n));
            return true;
        }
        if (n < 0 && errno == EINTR)
            continue;
        m_eof = true;
        return false;
    }
}

std::optional<std::string> ChildProcess::readLine(std::size_t max_bytes)
{
    for (;;) {
        std::size_t end = m_buffer.find('\n');
        if (end != std::string::npos || m_buffer.size() >= max_bytes) {
            std::size_t take = end != std::string::npos ? end : max_bytes;
            std::string line = m_buffer.substr(0, take);
            m_buffer.erase(0, end != std::string::npos ? end + 1 : take);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        if (!fill()) {
            if (m_buffer.empty())
                return std::nullopt;
            std::string line = std::move(m_buffer);
            m_buffer.clear();
            return line;
        }
    }
}

std::string ChildProcess::readAll(std::size_t limit_bytes)
{
    while (fill()) {
        if (m_buffer.size() > limit_bytes)
            throw MkvError(MkvFailure::Unreadable, m_program + " wrote more than expected");
    }
    return std::exchange(m_buffer, std::string());
}

int ChildProcess::wait()
{
    // Closing our end first: a child still writing gets EPIPE instead of blocking forever.
    m_out.reset();
    if (m_pid <= 0)
        return -1;
    int status = 0;
    pid_t rc;
    while ((rc = ::waitpid(m_pid, &status, 0)) < 0 && errno == EINTR) { }
    m_pid = -1;
    if (rc < 0)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace mkvextract
