// SPDX-License-Identifier: GPL-3.0-or-later
#include "DriverFixtures.h"

#include "TaskFixtures.h"

#include <fstream>

namespace quillet::test {

int FakeEngine::operator()(int argc, char **argv, ProgressCallback report)
{
    ++runs;
    std::vector<std::string> args(argv, argv + argc);
    seen.push_back(args);
    std::string source;
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "-i" || args[i] == "-ivs")
            source = args[i + 1];
    // The output path is the entry before the first -acodec of the extra tracks, or last.
    std::string output = args.back();
    for (std::size_t i = 1; i < args.size(); ++i)
        if (args[i] == "-newaudio") {
            output = args[i - 9];
            break;
        }
    std::ofstream(output) << "partial";
    if (during_run)
        during_run(output);
    auto failure = fail_for.find(source);
    if (failure != fail_for.end() && failure->second != DOLMAR_OK) {
        if (!fail_quietly.count(source))
            report("Cannot decode the input: invalid data", -1.0);
        return failure->second;
    }
    for (int i = 1; i <= reports_per_run; ++i) {
        if (clock)
            *clock += 600;
        if (report(nullptr, i * 1.0) < 0 && !ignores_cancel)
            return DOLMAR_STOPPED;
    }
    if (failure != fail_for.end())
        std::filesystem::remove(output); // "succeeds" without writing anything
    return DOLMAR_OK;
}

DriverFixture::DriverFixture()
    : driver(observer)
{
    Prepare();
}
DriverFixture::DriverFixture(const Texts &texts)
    : driver(observer, texts)
{
    Prepare();
}

void DriverFixture::Prepare()
{
    engine.clock = &clock;
    driver.SetEngine(std::ref(engine));
    driver.SetTickSource([this] { return clock; });
    driver.SetPostProcessRunner([this](const std::string &output, std::string_view,
                                       const std::string &, const StopRequest &) {
        PostProcessResult r;
        if (post_process_fails.count(output)) {
            r.error = "cannot start ferrule: No such file or directory";
            return r;
        }
        post_processed.push_back(output);
        r.ran = true;
        r.exit_status = post_process_status.count(output) ? post_process_status[output] : 0;
        return r;
    });
    request.split_choice = "No split";
    request.output_folder = out.path().string() + "/";
    request.current_profile.profile_path = "/ini/ipadh264.ini";
}

Task &DriverFixture::AddTask(const std::string &name)
{
    auto task = MakeProbedTask("/in/" + name + ".avi", out.file(name + ".mp4"));
    task->duration_s = 5;
    task->settings.PostProcess = "\"./ferrule\" \"%out\"";
    task->settings.profile_path = request.current_profile.profile_path;
    tasks.Add(std::move(task));
    return *tasks.Get(tasks.Count() - 1);
}

} // namespace quillet::test
