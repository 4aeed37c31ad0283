// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/PostProcessRunner.h"

#include "platform/ChildProcess.h"

namespace quillet {

namespace {

/// Replaces the first occurrence of from in token.
bool ReplaceFirst(std::string &token, std::string_view from, std::string_view to)
{
    auto at = token.find(from);
    if (at == std::string::npos)
        return false;
    token.replace(at, from.size(), to);
    return true;
}

} // namespace

CommandTokens TokenizeCommand(std::string_view command)
{
    CommandTokens result;
    std::size_t count = 1;
    for (std::size_t i = 0; i + 1 < command.size(); ++i)
        count += command[i] == '"' && command[i + 1] == ' ';
    if (count > kMaxTokens) {
        result.error
            = "The post-processing command has more than " + std::to_string(kMaxTokens) + " parts.";
        return result;
    }

    // Each token but the last runs from after its opening quote to a quote followed by a space.
    std::size_t pos = 0;
    for (std::size_t n = 1; n < count; ++n) {
        const std::size_t start = std::min(pos + 1, command.size());
        std::size_t close = start;
        while (close + 1 < command.size() && !(command[close] == '"' && command[close + 1] == ' '))
            ++close;
        result.tokens.emplace_back(command.substr(start, close - start));
        pos = close + 1;
        while (pos < command.size() && command[pos] == ' ')
            ++pos;
    }
    // The last token is the rest without its first and last character.
    std::string_view rest = command.substr(std::min(pos, command.size()));
    result.tokens.emplace_back(rest.size() >= 2 ? rest.substr(1, rest.size() - 2)
                                                : std::string_view());
    return result;
}

CommandTokens BuildPostProcess(std::string_view command, const std::string &output_path,
                               const std::string &program_folder)
{
    CommandTokens result = TokenizeCommand(command);
    if (!result.error.empty())
        return result;
    for (auto &token : result.tokens) {
        if (!ReplaceFirst(token, "./", program_folder + "/"))
            ReplaceFirst(token, "%out", output_path);
        if (token.find('\0') != std::string::npos) {
            result.error = "A part of the post-processing command holds a NUL character: "
                + token.substr(0, token.find('\0'));
            return result;
        }
    }
    return result;
}

std::string CommandLineText(const std::vector<std::string> &arguments)
{
    std::string line;
    for (const auto &a : arguments)
        line += a + " ";
    return line;
}

PostProcessResult RunPostProcess(const std::string &output_path, std::string_view command,
                                 const std::string &program_folder, const StopRequest &stop)
{
    PostProcessResult result;
    CommandTokens tokens = BuildPostProcess(command, output_path, program_folder);
    result.command_line = CommandLineText(tokens.tokens);
    if (!tokens.error.empty()) {
        result.error = tokens.error;
        return result;
    }
    platform::ChildOptions options;
    options.output = platform::ChildStream::Errors;
    platform::ChildProcess program(tokens.tokens, options);
    if (!program.Started()) {
        result.error = program.StartError();
        return result;
    }
    result.ran = true;
    result.exit_status
        = program.WaitUnless(stop, kPostProcessPoll, kPostProcessGrace, result.stopped);
    if (result.exit_status < 0)
        result.error = "lost track of the program";
    return result;
}

} // namespace quillet
