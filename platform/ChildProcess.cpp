// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <thread>
#include <utility>

extern char **environ;

namespace quillet::platform {

namespace {

// How often WaitFor looks whether the child has ended.
constexpr std::chrono::milliseconds kWaitPoll{10};
// A child's status while it still runs.
constexpr int kStillRunning = -2;
// Without a pidfd (a kernel before 5.3) the end of a child is looked for this often.
constexpr std::chrono::milliseconds kPidFdlessPoll{10};

// The children started and not yet reaped, for KillChildrenNow. Slots of plain atomics, so a
// signal handler can read them; a program has a handful of children at once, and one beyond the
// slots still runs, it is only not killed from a handler.
std::array<std::atomic<pid_t>, 64> g_live_children{};

void Track(pid_t pid)
{
    for (auto &slot : g_live_children) {
        pid_t empty = 0;
        if (slot.compare_exchange_strong(empty, pid))
            return;
    }
}

void Untrack(pid_t pid)
{
    for (auto &slot : g_live_children) {
        pid_t expected = pid;
        if (slot.compare_exchange_strong(expected, 0))
            return;
    }
}

/// A descriptor that becomes readable when pid ends, or an empty one where the kernel has none.
UniqueFd PidFdOf(pid_t pid)
{
    return UniqueFd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
}

/// Sleeps until the child behind pidfd ends, a signal arrives or timeout passes.
void Doze(const UniqueFd &pidfd, std::chrono::milliseconds timeout)
{
    if (pidfd) {
        pollfd fd{pidfd.Get(), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(timeout.count()));
    } else {
        ::poll(nullptr, 0, static_cast<int>(std::min(timeout, kPidFdlessPoll).count()));
    }
}

int StatusOf(int wait_status)
{
    if (WIFEXITED(wait_status))
        return WEXITSTATUS(wait_status);
    if (WIFSIGNALED(wait_status))
        return 128 + WTERMSIG(wait_status);
    return -1;
}

std::vector<char *> Pointers(std::vector<std::string> &texts)
{
    std::vector<char *> pointers;
    pointers.reserve(texts.size() + 1);
    for (std::string &text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

/// This process's environment with the changes applied; "NAME=value" sets, "NAME" removes.
std::vector<std::string> ChangedEnvironment(const std::vector<std::string> &changes)
{
    std::vector<std::string> entries;
    for (char **entry = environ; entry && *entry; ++entry)
        entries.emplace_back(*entry);
    for (const std::string &change : changes) {
        const std::string name = change.substr(0, change.find('='));
        std::erase_if(entries, [&](const std::string &entry) {
            return entry.size() > name.size() && entry.compare(0, name.size(), name) == 0
                && entry[name.size()] == '=';
        });
        if (change.find('=') != std::string::npos)
            entries.push_back(change);
    }
    return entries;
}

/// Everything posix_spawn needs, made before the call (and before any fork: a forked child of a
/// threaded process must not allocate).
class SpawnRequest
{
public:
    /// output_pipe, errors_pipe: write ends of pipes for the child's standard output and
    /// error, or -1.
    SpawnRequest(const std::vector<std::string> &argv, const ChildOptions &options,
                 int output_pipe = -1, int errors_pipe = -1)
        : m_args(argv)
        , m_arg_pointers(Pointers(m_args))
        , m_changes_environment(!options.environment.empty())
    {
        posix_spawn_file_actions_init(&m_actions);
        if (m_changes_environment) {
            m_environment = ChangedEnvironment(options.environment);
            m_environment_pointers = Pointers(m_environment);
        }
        if (options.input == ChildStream::Discard)
            posix_spawn_file_actions_addopen(&m_actions, 0, "/dev/null", O_RDONLY, 0);
        if (options.output == ChildStream::Discard)
            posix_spawn_file_actions_addopen(&m_actions, 1, "/dev/null", O_WRONLY, 0);
        else if (options.output == ChildStream::Errors)
            posix_spawn_file_actions_adddup2(&m_actions, 2, 1);
        if (options.errors == ChildStream::Discard)
            posix_spawn_file_actions_addopen(&m_actions, 2, "/dev/null", O_WRONLY, 0);
        if (output_pipe >= 0)
            posix_spawn_file_actions_adddup2(&m_actions, output_pipe, 1);
        if (errors_pipe >= 0)
            posix_spawn_file_actions_adddup2(&m_actions, errors_pipe, 2);
        // The host program may hold descriptors without close-on-exec; the child needs none.
        // Last, so that the pipes are in place before their originals go.
        posix_spawn_file_actions_addclosefrom_np(&m_actions, 3);
    }
    ~SpawnRequest() { posix_spawn_file_actions_destroy(&m_actions); }
    SpawnRequest(const SpawnRequest &) = delete;
    SpawnRequest &operator=(const SpawnRequest &) = delete;

    /// Starts the program; allocates nothing. @return 0 or an errno value
    int Spawn(pid_t &pid) const
    {
        return posix_spawnp(&pid, m_arg_pointers[0], &m_actions, nullptr, m_arg_pointers.data(),
                            m_changes_environment ? m_environment_pointers.data() : environ);
    }

private:
    std::vector<std::string> m_args;
    std::vector<char *> m_arg_pointers;
    bool m_changes_environment;
    std::vector<std::string> m_environment;
    std::vector<char *> m_environment_pointers;
    posix_spawn_file_actions_t m_actions{};
};

/// A pipe whose two ends close on exec; the child gets its write end through a dup.
bool MakePipe(UniqueFd &read_end, UniqueFd &write_end)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    read_end = UniqueFd(fds[0]);
    write_end = UniqueFd(fds[1]);
    return true;
}

/// In a forked child: points a standard stream at /dev/null.
void DiscardInChild(int target, int flags)
{
    const int fd = ::open("/dev/null", flags);
    if (fd >= 0 && fd != target) {
        ::dup2(fd, target);
        ::close(fd);
    }
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string> &argv, const ChildOptions &options)
{
    if (argv.empty() || argv.front().empty()) {
        m_start_error = "no program to start";
        return;
    }
    UniqueFd output_write;
    UniqueFd errors_write;
    if ((options.output == ChildStream::Pipe && !MakePipe(m_output, output_write))
        || (options.errors == ChildStream::Pipe && !MakePipe(m_errors, errors_write))) {
        m_start_error = "cannot make a pipe for " + argv.front() + ": " + std::strerror(errno);
        return;
    }
    const SpawnRequest request(argv, options, output_write.Get(), errors_write.Get());
    const int rc = request.Spawn(m_pid);
    if (rc != 0) {
        m_pid = -1;
        m_output.Close();
        m_errors.Close();
        m_start_error = "cannot start " + argv.front() + ": " + std::strerror(rc);
        return;
    }
    Track(m_pid);
    m_started = true;
}

ChildProcess ChildProcess::Fork(const std::function<int()> &body, const ChildOptions &options)
{
    ChildProcess child;
    const pid_t pid = ::fork();
    if (pid < 0) {
        child.m_start_error = std::string("cannot fork: ") + std::strerror(errno);
        return child;
    }
    if (pid == 0) {
        if (options.input == ChildStream::Discard)
            DiscardInChild(STDIN_FILENO, O_RDONLY);
        if (options.output == ChildStream::Discard)
            DiscardInChild(STDOUT_FILENO, O_WRONLY);
        if (options.errors == ChildStream::Discard)
            DiscardInChild(STDERR_FILENO, O_WRONLY);
        int status = 127;
        try {
            status = body();
        } catch (...) {
            status = 127;
        }
        // _exit: the child must not run this process's atexit handlers or flush its buffers.
        ::_exit(status);
    }
    Track(pid);
    child.m_pid = pid;
    child.m_started = true;
    return child;
}

bool ChildProcess::StartDetached(const std::vector<std::string> &argv, const ChildOptions &options)
{
    if (argv.empty() || argv.front().empty())
        return false;
    const SpawnRequest request(argv, options);
    ChildProcess starter = Fork([&request] {
        pid_t pid = -1;
        return request.Spawn(pid) == 0 ? 0 : 127;
    });
    return starter.Wait() == 0;
}

ChildProcess::~ChildProcess()
{
    Kill();
}

ChildProcess::ChildProcess(ChildProcess &&other) noexcept
    : m_pid(std::exchange(other.m_pid, -1))
    , m_started(other.m_started)
    , m_start_error(std::move(other.m_start_error))
    , m_output(std::move(other.m_output))
    , m_errors(std::move(other.m_errors))
    , m_buffer(std::move(other.m_buffer))
    , m_output_ended(other.m_output_ended)
{ }

ChildProcess &ChildProcess::operator=(ChildProcess &&other) noexcept
{
    if (this != &other) {
        Kill();
        m_pid = std::exchange(other.m_pid, -1);
        m_started = other.m_started;
        m_start_error = std::move(other.m_start_error);
        m_output = std::move(other.m_output);
        m_errors = std::move(other.m_errors);
        m_buffer = std::move(other.m_buffer);
        m_output_ended = other.m_output_ended;
    }
    return *this;
}

bool ChildProcess::Fill()
{
    if (m_output_ended || !m_output)
        return false;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(m_output.Get(), chunk, sizeof chunk);
        if (n > 0) {
            m_buffer.append(chunk, static_cast<std::size_t>(n));
            return true;
        }
        if (n < 0 && errno == EINTR)
            continue;
        m_output_ended = true;
        return false;
    }
}

std::optional<std::string> ChildProcess::ReadLine(std::size_t max_bytes)
{
    for (;;) {
        const std::size_t end = m_buffer.find('\n');
        if (end != std::string::npos || m_buffer.size() >= max_bytes) {
            const std::size_t take
                = end != std::string::npos ? std::min(end, max_bytes) : max_bytes;
            std::string line = m_buffer.substr(0, take);
            m_buffer.erase(0, end != std::string::npos && end <= max_bytes ? end + 1 : take);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        if (!Fill()) {
            if (m_buffer.empty())
                return std::nullopt;
            return std::exchange(m_buffer, std::string());
        }
    }
}

std::optional<std::string> ChildProcess::ReadAll(std::size_t limit_bytes)
{
    while (Fill()) {
        if (m_buffer.size() > limit_bytes)
            return std::nullopt;
    }
    if (m_buffer.size() > limit_bytes)
        return std::nullopt;
    return std::exchange(m_buffer, std::string());
}

void ChildProcess::Collect(std::string &output, std::string &errors,
                           const std::function<void(const std::string &)> &on_errors)
{
    output = std::exchange(m_buffer, std::string());
    pollfd fds[2] = {{m_output.Get(), POLLIN, 0}, {m_errors.Get(), POLLIN, 0}};
    int open_count = (fds[0].fd >= 0) + (fds[1].fd >= 0);
    char buffer[65536];
    while (open_count > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                fds[i].fd = -1;
                --open_count;
                continue;
            }
            (i == 0 ? output : errors).append(buffer, static_cast<std::size_t>(n));
            if (i == 1 && on_errors)
                on_errors(errors);
        }
    }
    m_output_ended = true;
}

int ChildProcess::Reap(int options, rusage *usage)
{
    if (m_pid <= 0)
        return -1;
    int wait_status = 0;
    pid_t rc = -1;
    while ((rc = ::wait4(m_pid, &wait_status, options, usage)) < 0 && errno == EINTR) { }
    if (rc == 0)
        return kStillRunning;
    Untrack(m_pid);
    m_pid = -1;
    return rc < 0 ? -1 : StatusOf(wait_status);
}

int ChildProcess::Wait(rusage *usage)
{
    m_output.Close();
    m_errors.Close();
    return Reap(0, usage);
}

std::optional<int> ChildProcess::WaitFor(std::chrono::milliseconds timeout)
{
    m_output.Close();
    m_errors.Close();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const int status = Reap(WNOHANG);
        if (status != kStillRunning)
            return status;
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(kWaitPoll);
    }
}

int ChildProcess::WaitUnless(const std::function<bool()> &stop, std::chrono::milliseconds interval,
                             std::chrono::milliseconds grace, bool &stopped)
{
    m_output.Close();
    m_errors.Close();
    stopped = false;
    if (m_pid <= 0)
        return -1;
    const UniqueFd pidfd = PidFdOf(m_pid);
    for (;;) {
        const int status = Reap(WNOHANG);
        if (status != kStillRunning)
            return status;
        if (stop && stop()) {
            stopped = true;
            return Terminate(grace);
        }
        // A signal (Ctrl+C) ends the doze early, so stop() hears of it at once.
        Doze(pidfd, interval);
    }
}

int ChildProcess::Terminate(std::chrono::milliseconds grace)
{
    m_output.Close();
    m_errors.Close();
    if (m_pid <= 0)
        return -1;
    ::kill(m_pid, SIGTERM);
    const UniqueFd pidfd = PidFdOf(m_pid);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    for (;;) {
        const int status = Reap(WNOHANG);
        if (status != kStillRunning)
            return status;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        Doze(pidfd, left);
    }
    ::kill(m_pid, SIGKILL);
    return Reap(0);
}

void ChildProcess::KillChildrenNow()
{
    for (auto &slot : g_live_children)
        if (const pid_t pid = slot.load(); pid > 0)
            ::kill(pid, SIGKILL);
}

void ChildProcess::Kill()
{
    m_output.Close();
    m_errors.Close();
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    Reap(0);
}

void ChildProcess::Release()
{
    m_output.Close();
    m_errors.Close();
    if (m_pid > 0)
        Untrack(m_pid);
    m_pid = -1;
}

} // namespace quillet::platform
