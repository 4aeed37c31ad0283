// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

/**
 * The post-process runner: after each output is made, a profile's command runs with the output's
 * path substituted, and the conversion waits for it. The command text is a sequence of tokens,
 * each in double quotes, separated by spaces:  "./ferrule" "%out"
 * In a token, "./" becomes the program folder and "%out" the output path (the first occurrence,
 * "./" taking precedence). The tokens become the started program's argument vector directly, with
 * no shell in between, so a path holding spaces, quotes, ';' or "$(...)" arrives as one intact
 * argument and is never interpreted.
 *
 * What the program prints goes to this process's standard error, never to its standard output,
 * which carries quillet-cli's results (the finished files, --json). The wait has no time limit (an
 * import may take long), but it asks the caller at least every kPostProcessPoll whether to stop,
 * and at once when a signal arrives; a program told to stop gets SIGTERM, and SIGKILL after
 * kPostProcessGrace.
 */
namespace quillet {

/// The most tokens a command has. Tokens and the command line have no length limit of their own:
/// they become an argument vector of any length, so output paths of any length reach the program
/// (the system refuses only what exceeds its own limit for a program's arguments, and that is
/// reported as a program that could not start).
inline constexpr std::size_t kMaxTokens = 127;

/// The tokens of a command text, or why it was refused.
struct CommandTokens
{
    std::vector<std::string> tokens;
    std::string error; ///< empty on success
};

/// Splits a command text into its tokens (quotes removed), before substitution.
CommandTokens TokenizeCommand(std::string_view command);

/**
 * The program's arguments for output_path: the tokens after substitution. Refused (error set)
 * when a token holds a NUL character, which would end the argument early.
 * @param program_folder without a trailing '/'
 */
CommandTokens BuildPostProcess(std::string_view command, const std::string &output_path,
                               const std::string &program_folder);

/// The command line as text: each argument followed by one space.
std::string CommandLineText(const std::vector<std::string> &arguments);

/// How often a running post-processing program's caller is asked whether to stop: as often as
/// the engine reports, so Cancel is as quick as during a conversion.
inline constexpr std::chrono::milliseconds kPostProcessPoll{100};
/// How long a program told to stop (SIGTERM) has to end before it is killed.
inline constexpr std::chrono::milliseconds kPostProcessGrace{3000};

/// How a post-process went.
struct PostProcessResult
{
    bool ran = false;
    int exit_status = -1;
    std::string command_line;
    std::string error; ///< why it did not run
    bool stopped = false; ///< ended because the caller asked (Cancel, Ctrl+C)
};

/// Asked while the program runs: true to stop it.
using StopRequest = std::function<bool()>;

/// Runs command for output_path and waits until the program ends, or until stop says so.
PostProcessResult RunPostProcess(const std::string &output_path, std::string_view command,
                                 const std::string &program_folder, const StopRequest &stop = {});

} // namespace quillet
