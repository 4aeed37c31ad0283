// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolProcess.h"

#include "MkvError.h"

namespace mkvextract {

quillet::platform::ChildProcess StartTool(const std::vector<std::string> &argv)
{
    using quillet::platform::ChildStream;
    quillet::platform::ChildOptions options;
    options.input = ChildStream::Discard;
    options.output = ChildStream::Pipe;
    options.errors = ChildStream::Discard;
    options.environment = {"LC_ALL=C.UTF-8", "LANGUAGE"};
    quillet::platform::ChildProcess tool(argv, options);
    if (!tool.Started())
        throw MkvError(MkvFailure::Unreadable, tool.StartError());
    return tool;
}

} // namespace mkvextract
