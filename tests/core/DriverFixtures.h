// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ConversionDriver.h"

#include "TempDir.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace quillet::test {

/// Records what a front end would be told.
struct RecordingObserver : RunObserver
{
    std::vector<std::string> told, captions, command_lines, finished, shown;
    std::vector<int> progress;
    std::vector<bool> converting;
    int pumps = 0;
    std::function<void()> on_pump;

    void Tell(std::string_view text, std::string_view caption, Icon) override
    {
        told.emplace_back(text);
        captions.emplace_back(caption);
    }
    bool Ask(std::string_view, std::string_view) override { return false; }
    void SetConverting(bool c) override { converting.push_back(c); }
    void SetCurrentOutput(const std::string &) override { }
    void ShowProgress(int p) override { progress.push_back(p); }
    void PumpEvents() override
    {
        ++pumps;
        if (on_pump)
            on_pump();
    }
    void LogCommandLine(const std::string &line) override { command_lines.push_back(line); }
    void OutputFinished(const std::string &path) override { finished.push_back(path); }
    void ShowOutput(const std::string &path) override { shown.push_back(path); }
};

/// An engine that writes its output path's file while reporting progress, or fails.
struct FakeEngine
{
    std::map<std::string, int> fail_for; // source path -> result
    std::set<std::string> fail_quietly; // sources whose failure comes without a message
    int runs = 0;
    int reports_per_run = 5;
    std::vector<std::vector<std::string>> seen;
    uint32_t *clock = nullptr;
    std::function<void(const std::string &output)> during_run; ///< another program at work
    bool ignores_cancel = false; ///< goes on to the end whatever the reports answer

    int operator()(int argc, char **argv, ProgressCallback report);
};

/// A driver on the fake engine, a post-processing stand-in and a clock that moves only with the
/// engine's reports; outputs go to a folder of their own.
struct DriverFixture
{
    TempDir out;
    RecordingObserver observer;
    FakeEngine engine;
    ConversionDriver driver;
    TaskList tasks;
    RunRequest request;
    std::vector<std::string> post_processed;
    std::set<std::string> post_process_fails; // outputs whose command cannot be started
    std::map<std::string, int> post_process_status; // outputs whose command ends with a status
    uint32_t clock = 0;

    DriverFixture();
    explicit DriverFixture(const Texts &texts);

    /// A task for "/in/NAME.avi" into NAME.mp4 of the output folder, with a post-processing
    /// command.
    Task &AddTask(const std::string &name);

private:
    void Prepare();
};

} // namespace quillet::test
