// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UniqueFd.h"

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace mkvextract {

/// One run of an mkvtoolnix program: started without a shell (the arguments reach it exactly as
/// given, whatever spaces, quotes or colons they hold), standard input from /dev/null, standard
/// output through a pipe to us, standard error discarded (in the modes we use, the programs put
/// what matters on standard output). The child runs in the C.UTF-8 locale, because mkvtoolnix
/// decodes its command line with the locale's character set and under "C" it cuts a path at its
/// first non-ASCII byte.
///
/// The destructor kills and reaps a child that was not waited for, so an exception between
/// start and wait() leaves no process behind.
class ChildProcess
{
public:
    /// Starts argv[0], looked up on PATH. Throws MkvError(Unreadable) when it cannot start.
    explicit ChildProcess(const std::vector<std::string> &argv);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    /// The next line of standard output without its line end, as soon as it is complete;
    /// nullopt at the end of output. Lines longer than max_bytes are cut there.
    std::optional<std::string> readLine(std::size_t max_bytes = 64 * 1024);
    /// All remaining standard output. Throws MkvError(Unreadable) past limit_bytes.
    std::string readAll(std::size_t limit_bytes);
    /// Waits for the end; returns the exit status, or -1 when a signal ended it.
    int wait();

private:
    /// Reads more output into m_buffer; false at the end of output.
    bool fill();

    std::string m_program;
    pid_t m_pid = -1;
    UniqueFd m_out;
    std::string m_buffer;
    bool m_eof = false;
};

} // namespace mkvextract
