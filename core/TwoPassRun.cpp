// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/TwoPassRun.h"

#include "platform/NumberText.h"

#include <algorithm>
#include <cmath>

namespace quillet {

namespace {

std::vector<std::string>::iterator Find(std::vector<std::string> &args, const std::string &entry)
{
    return std::find(args.begin(), args.end(), entry);
}

bool IsSecondPass(int argc, char **argv)
{
    for (int i = 0; i + 1 < argc; ++i)
        if (std::string_view(argv[i]) == "-pass" && std::string_view(argv[i + 1]) == "2")
            return true;
    return false;
}

// The callback carries no context, and the engine calls it on the thread that called it: what
// one job's two passes need is kept per thread.
thread_local ProgressCallback g_report = nullptr;
thread_local double g_offset_s = 0;
thread_local double g_last_s = 0;

int HalfReport(const char *message, double position)
{
    // Negative positions carry the engine's messages: passed on as they are.
    if (position >= 0) {
        g_last_s = position;
        position = g_offset_s + position / 2;
    }
    return g_report ? g_report(message, position) : 0;
}

int RunWith(const EngineFn &engine, std::vector<std::string> args, ProgressCallback report)
{
    std::vector<char *> argv;
    argv.reserve(args.size() + 1);
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    return engine(static_cast<int>(args.size()), argv.data(), report);
}

} // namespace

void SetVideoRate(std::vector<std::string> &args, double kbps, const std::string &engine_output)
{
    const std::string value = platform::FormatFixed(std::floor(kbps), 0);
    for (std::size_t i = args.size(); i-- > 1;) {
        if (args[i - 1] == "-b") {
            args[i] = value;
            return;
        }
    }
    args.insert(Find(args, engine_output), {"-b", value});
}

void AskTwoPasses(std::vector<std::string> &args, const std::string &engine_output,
                  const std::string &log_prefix)
{
    args.insert(Find(args, engine_output), {"-pass", "2", "-passlogfile", log_prefix});
}

EngineFn TwoPassEngine(EngineFn engine)
{
    return [engine = std::move(engine)](int argc, char **argv, ProgressCallback report) {
        if (!IsSecondPass(argc, argv))
            return engine(argc, argv, report);
        std::vector<std::string> second(argv, argv + argc);
        std::vector<std::string> first;
        for (std::size_t i = 0; i < second.size(); ++i) {
            if (second[i] == "-fs" && i + 1 < second.size()) {
                ++i;
                continue;
            }
            first.push_back(second[i] == "2" && i > 0 && second[i - 1] == "-pass" ? "1"
                                                                                  : second[i]);
        }
        g_report = report;
        g_offset_s = 0;
        g_last_s = 0;
        int result = RunWith(engine, std::move(first), report ? HalfReport : nullptr);
        if (result == DOLMAR_OK) {
            g_offset_s = g_last_s / 2;
            result = RunWith(engine, std::move(second), report ? HalfReport : nullptr);
        }
        g_report = nullptr;
        return result;
    };
}

} // namespace quillet
