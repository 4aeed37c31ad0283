// SPDX-License-Identifier: GPL-3.0-or-later
// The size model's estimate of every built-in profile against what the engine makes.
//
//   bench_size_estimates [seconds]     (default 10)
//
// Converts two generated sources of the given length with every profile of resources/ini (the
// "add to library" twins, which convert alike, left out): a still slide show (a new picture every
// 3 s) and a grainy moving picture, both 1280x720 at 25 frames a second with stereo sound.
// Prints the estimate (EstimateSize of ShapeOf; "~" when a part is quality-based), the real size
// and the error, then the worst error of the fixed-rate profiles on each source.
#include "core/ArgumentBuilder.h"
#include "core/MediaProbe.h"
#include "core/ProfileApplier.h"
#include "core/ProfileFile.h"
#include "core/SizeModel.h"

#include "Command.h"
#include "TempDir.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace quillet;
using namespace quillet::sizing;

namespace {

struct SilentPrompter : Prompter
{
    void Tell(std::string_view, std::string_view, Icon) override { }
    bool Ask(std::string_view, std::string_view) override { return false; }
};

std::filesystem::path MakeSource(const std::filesystem::path &path, double seconds,
                                 const std::string &filter)
{
    const std::string length = std::to_string(seconds);
    const test::CommandResult made
        = test::RunCommand({"ffmpeg",
                            "-nostdin",
                            "-loglevel",
                            "error",
                            "-y",
                            "-f",
                            "lavfi",
                            "-i",
                            "testsrc2=size=1280x720:rate=25:duration=" + length,
                            "-f",
                            "lavfi",
                            "-i",
                            "sine=frequency=440:sample_rate=48000:duration=" + length,
                            "-vf",
                            filter,
                            "-ac",
                            "2",
                            "-c:v",
                            "libx264",
                            "-preset",
                            "ultrafast",
                            "-qp",
                            "10",
                            "-c:a",
                            "pcm_s16le",
                            path.string()});
    if (made.exit_code != 0) {
        std::fprintf(stderr, "cannot make %s: %s\n", path.c_str(), made.err.c_str());
        std::exit(1);
    }
    return path;
}

} // namespace

int main(int argc, char **argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10;
    VCInit(); // FFmpeg's own log kept to errors, as in the program
    test::TempDir dir;
    const std::pair<const char *, std::filesystem::path> sources[] = {
        {"still", MakeSource(dir.path() / "still.mkv", seconds, "fps=1/3,fps=25")},
        {"grain", MakeSource(dir.path() / "grain.mkv", seconds, "noise=alls=20:allf=t")},
    };
    const std::string out = (dir.path() / "out").string() + "/";
    std::filesystem::create_directories(out);
    const BuiltInTexts texts;
    SilentPrompter prompter;
    double worst[2] = {0, 0};

    std::vector<std::filesystem::path> files;
    for (const auto &entry :
         std::filesystem::directory_iterator(std::string(QUILLET_SOURCE_DIR) + "/resources/ini"))
        if (entry.path().extension() == ".ini" && entry.path().filename() != "kreldef.ini")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());

    std::printf("%-46s %-6s %12s %12s %8s\n", "profile", "source", "estimate", "real", "error");
    for (const auto &file : files) {
        for (const auto &section : ProfileFile::ListNames(file)) {
            if (section.find(", add to library") != std::string::npos)
                continue;
            ProfileRecord record;
            ProfileFile::Read(section, record, file);
            record.profile_path = file.string();
            for (int s = 0; s < 2; ++s) {
                auto task = CreateTask(sources[s].second.string(), 0, -1, -1, texts, prompter);
                ApplyProfile(*task, record, ApplyPath::AddFile,
                             {out, [](const std::string &) { return false; }});
                const SizeBreakdown estimate = EstimateSize(ShapeOf(*task));
                BuildContext context;
                context.split_choice = "No split";
                const BuildResult built = BuildTaskArguments(*task, context);
                ArgumentVector args = built.args;
                const int rc = ffmain(static_cast<int>(args.Count()), args.Argv().data(), nullptr);
                std::error_code ec;
                const double real = rc == DOLMAR_OK
                    ? static_cast<double>(std::filesystem::file_size(built.output_path, ec))
                    : 0;
                const double error = real > 0 ? (estimate.Total() / real - 1) * 100 : 0;
                std::printf("%-46s %-6s %11.0f%s %12.0f %+7.1f%%\n", section.c_str(),
                            sources[s].first, estimate.Total(), estimate.exact ? " " : "~", real,
                            error);
                std::fflush(stdout);
                if (estimate.exact)
                    worst[s] = std::max(worst[s], std::abs(error));
                std::filesystem::remove(built.output_path, ec);
            }
        }
    }
    std::printf("worst error of the fixed-rate profiles: still %.1f %%, grain %.1f %%\n", worst[0],
                worst[1]);
    return 0;
}
