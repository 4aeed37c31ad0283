// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliProcess.h"

#include "platform/ChildProcess.h"

namespace quillet::test {

WatchedRun RunWatched(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                      const std::function<void(const std::string &, int)> &on_err)
{
    platform::ChildOptions options;
    options.input = platform::ChildStream::Discard;
    options.output = platform::ChildStream::Pipe;
    options.errors = platform::ChildStream::Pipe;
    options.environment = env;
    platform::ChildProcess child(argv, options);
    WatchedRun run;
    if (!child.Started())
        return run;
    child.Collect(run.out, run.err, [&](const std::string &err) {
        if (on_err)
            on_err(err, child.Pid());
    });
    run.exit_code = child.Wait();
    return run;
}

} // namespace quillet::test
