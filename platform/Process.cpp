// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Process.h"

#include "platform/ChildProcess.h"

namespace quillet::platform {

ProcessResult RunAndWait(const std::vector<std::string> &argv)
{
    ProcessResult result;
    ChildProcess program(argv);
    if (!program.Started()) {
        result.error = program.StartError();
        return result;
    }
    result.started = true;
    result.exit_status = program.Wait();
    if (result.exit_status < 0)
        result.error = "lost track of the program";
    return result;
}

bool StartDetached(const std::vector<std::string> &argv)
{
    return ChildProcess::StartDetached(argv);
}

} // namespace quillet::platform
