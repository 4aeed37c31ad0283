// SPDX-License-Identifier: GPL-3.0-or-later
// Adding a folder of clips to the task list, against running ffprobe once per file.
//
//   bench_add_folder [count]     (default 500)
//
// Prints the time per file for both and their ratio.
#include "app/ConverterApp.h"
#include "app/HeadlessListHost.h"
#include "app/TaskListController.h"

#include "Command.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace quillet;
using Clock = std::chrono::steady_clock;

namespace {

/// A front end that answers nothing; the list's rows go to HeadlessListHost.
class QuietSession : public SessionHost
{
public:
    void SetSummary(std::string_view) override { }
    std::string SplitChoiceText() const override { return "No split"; }
    int CustomSplitSizeMb() const override { return 4000; }
    void Tell(std::string_view, std::string_view, Icon) override { }
    bool Ask(std::string_view, std::string_view) override { return false; }
};

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main(int argc, char **argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 500;
    test::TempDir media;
    test::TempDir program;
    test::TempDir settings;

    // A handful of different clips, copied until the folder holds count files.
    const char *kinds[][2] = {{"mp4", "libx264"},
                              {"mkv", "mpeg4"},
                              {"avi", "mpeg4"},
                              {"mov", "libx264"},
                              {"ts", "mpeg2video"}};
    std::vector<std::filesystem::path> originals;
    for (auto &kind : kinds) {
        test::ClipRecipe recipe;
        recipe.seconds = 5;
        recipe.width = 640;
        recipe.height = 360;
        recipe.video_codec = kind[1];
        recipe.audio_codec = std::string(kind[0]) == "avi" ? "libmp3lame" : "aac";
        originals.push_back(
            test::MakeClip(program.path() / (std::string("clip.") + kind[0]), recipe));
    }
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        const auto &from = originals[static_cast<std::size_t>(i) % originals.size()];
        auto to = media.path() / ("clip" + std::to_string(i) + from.extension().string());
        std::filesystem::copy_file(from, to);
        files.push_back(to.string());
    }

    VCInit();
    RegistryAccess registry{platform::SettingsStore(settings.path())};
    ConverterApp app(registry, program.path().string());
    app.FillTexts();
    app.LoadSettings();
    TaskList tasks;
    QuietSession session;
    HeadlessListHost host(session);
    MainState state;
    state.current_profile.TargetType = "mp4";
    BuiltInTexts texts;
    TaskListController controller(tasks, host, app, state, texts);

    const auto start = Clock::now();
    controller.ScanFolder(media.path().string(), false);
    const double ours = Seconds(Clock::now() - start) / count;
    if (tasks.Count() != count) {
        std::fprintf(stderr, "only %d of %d files became tasks\n", tasks.Count(), count);
        return 1;
    }
    int unprobed = 0;
    for (const auto &t : tasks)
        unprobed += t->StreamCount() == 0;

    const auto probe_start = Clock::now();
    for (const auto &file : files) {
        auto r
            = test::RunCommand({"ffprobe", "-v", "error", "-show_format", "-show_streams", file});
        if (r.exit_code != 0) {
            std::fprintf(stderr, "ffprobe failed on %s\n", file.c_str());
            return 1;
        }
    }
    const double theirs = Seconds(Clock::now() - probe_start) / count;
    VCExit();

    std::printf("files:                 %d (%d could not be probed)\n", count, unprobed);
    std::printf("add to task list:      %.3f ms per file\n", ours * 1000);
    std::printf("ffprobe per file:      %.3f ms per file\n", theirs * 1000);
    std::printf("speed-up:              %.1fx (target: 10x or more)\n", theirs / ours);
    return 0;
}
