// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/UniqueFd.h"

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillet::platform {

/// Where one standard stream of a child goes.
enum class ChildStream {
    Inherit, ///< this process's own
    Discard, ///< /dev/null
    Pipe, ///< a pipe read by this process (standard output and standard error only)
    Errors, ///< this process's standard error (standard output only): what a child prints
            ///< never mixes with results this process writes to its own standard output
};

/// How a child is started.
struct ChildOptions
{
    ChildStream input = ChildStream::Inherit; ///< Inherit or Discard
    ChildStream output = ChildStream::Inherit;
    ChildStream errors = ChildStream::Inherit;
    /// Changes to this process's environment for the child: "NAME=value" sets NAME, "NAME"
    /// alone removes it.
    std::vector<std::string> environment;
};

/**
 * One child process, the only way the system starts programs: the post-processing command, the
 * library importer, mkvtoolnix, and the test and benchmark runs of the command-line programs.
 *
 * A program is started with posix_spawn and no shell, so its arguments reach it exactly as given
 * (spaces, quotes, ';' and '$' included), and it inherits no descriptor of this process beyond
 * its three standard streams. The destructor kills and reaps a child that was neither waited for
 * nor released, so an exception between start and Wait() leaves no process behind. Exit
 * statuses read as the shell reads them: the status, or 128 + the signal that ended the child.
 *
 * A process that is ended by a signal before it could stop its children in order (a second
 * Ctrl+C) calls KillChildrenNow() from its signal handler, so no child runs on on its own.
 */
class ChildProcess
{
public:
    /// Starts argv[0] (looked up on PATH when it holds no '/'); Started() tells whether it runs.
    explicit ChildProcess(const std::vector<std::string> &argv, const ChildOptions &options = {});

    /**
     * Runs body in a forked copy of this process, whose exit status is body's result (127 when
     * body throws). Only Inherit and Discard apply to its streams. For work that may end the
     * process it runs in (a toolkit that aborts when it finds no display), tried in a child so
     * that the caller survives.
     */
    static ChildProcess Fork(const std::function<int()> &body, const ChildOptions &options = {});

    /**
     * Starts a program that outlives this process and is never waited for (a double fork leaves
     * it to init, so no zombie remains).
     * @return whether the program started
     */
    static bool StartDetached(const std::vector<std::string> &argv,
                              const ChildOptions &options = {});

    ~ChildProcess();
    ChildProcess(ChildProcess &&other) noexcept;
    ChildProcess &operator=(ChildProcess &&other) noexcept;
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    bool Started() const { return m_started; }
    /// Why the child could not be started ("cannot start mkvmerge: No such file or directory").
    const std::string &StartError() const { return m_start_error; }
    pid_t Pid() const { return m_pid; }

    /// The next line of standard output (a Pipe) without its line end, as soon as it is
    /// complete; nullopt at the end of output. A line longer than max_bytes is cut there.
    std::optional<std::string> ReadLine(std::size_t max_bytes = std::size_t{64} * 1024);

    /// The rest of standard output (a Pipe); nullopt as soon as it passes limit_bytes.
    std::optional<std::string> ReadAll(std::size_t limit_bytes);

    /**
     * Reads standard output and standard error (both Pipes) to their ends at the same time, so
     * that neither can fill up and stall the child. on_errors is called with all of standard
     * error so far each time more of it arrives.
     */
    void Collect(std::string &output, std::string &errors,
                 const std::function<void(const std::string &errors)> &on_errors = {});

    /**
     * Waits for the end, closing this side of the pipes first (a child still writing gets EPIPE
     * instead of blocking for ever).
     * @param usage receives what the child used (CPU times, peak memory) when not null
     * @return the exit status, 128 + signal, or -1 when there is no child to wait for
     */
    int Wait(rusage *usage = nullptr);

    /// As Wait, giving up after timeout.
    /// @return the exit status, or nullopt while the child still runs
    std::optional<int> WaitFor(std::chrono::milliseconds timeout);

    /**
     * Waits for the end, asking stop() each time a signal interrupts the wait and at least every
     * interval; once stop() says so, the child is ended as Terminate does.
     * @param stopped set to whether the child was ended that way
     * @return the exit status, 128 + signal, or -1 when there is no child to wait for
     */
    int WaitUnless(const std::function<bool()> &stop, std::chrono::milliseconds interval,
                   std::chrono::milliseconds grace, bool &stopped);

    /// Ends the child politely: SIGTERM, then SIGKILL when it has not ended after grace; reaps it.
    /// @return its exit status (128 + the signal that ended it)
    int Terminate(std::chrono::milliseconds grace);

    /// Ends the child at once (SIGKILL) and reaps it.
    void Kill();

    /**
     * Sends SIGKILL to every child of this copy of the library that is started and not yet
     * reaped or released. Only async-signal-safe calls: for a signal handler that is about to
     * end the process.
     */
    static void KillChildrenNow();

    /// Lets the child run on: it is neither waited for nor killed by this object.
    void Release();

private:
    ChildProcess() = default;
    /// Reads more standard output into m_buffer; false at its end.
    bool Fill();
    int Reap(int options, rusage *usage = nullptr);

    pid_t m_pid = -1;
    bool m_started = false;
    std::string m_start_error;
    UniqueFd m_output;
    UniqueFd m_errors;
    std::string m_buffer;
    bool m_output_ended = false;
};

} // namespace quillet::platform
