// SPDX-License-Identifier: GPL-3.0-or-later
#include "Command.h"

#include "platform/ChildProcess.h"

namespace quillet::test {

CommandResult RunCommand(const std::vector<std::string> &argv,
                         const std::vector<std::string> &extra_env,
                         const ErrorWatcher &watch_errors)
{
    platform::ChildOptions options;
    options.input = platform::ChildStream::Discard;
    options.output = platform::ChildStream::Pipe;
    options.errors = platform::ChildStream::Pipe;
    options.environment = extra_env;
    platform::ChildProcess child(argv, options);
    CommandResult result;
    if (!child.Started()) {
        result.exit_code = 127;
        result.err = child.StartError();
        return result;
    }
    child.Collect(result.out, result.err, [&](const std::string &err) {
        if (watch_errors)
            watch_errors(err, child.Pid());
    });
    result.exit_code = child.Wait();
    return result;
}

} // namespace quillet::test
