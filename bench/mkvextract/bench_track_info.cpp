// SPDX-License-Identifier: GPL-3.0-or-later
// Asking for the tracks of a folder of small Matroska files, as adding them to the task list
// does (the subtitle offer asks em_gettrackinfo for every .mkv file).
//
//   bench_track_info [count]     (default 1000)
//
// Prints the time per file before (mkvmerge -J for every file, as the library did) and after
// (em_gettrackinfo, which reads the tracks in this process and asks mkvmerge only for a file it
// cannot be sure of), and the same for files that still go to mkvmerge (AC-3 audio).
#include "mkvextract.h"

#include "TrackHeaderReader.h"
#include "TrackIdentifier.h"

#include "Command.h"
#include "TempDir.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using quillet::test::RunCommand;

namespace {

bool Run(const std::vector<std::string> &argv)
{
    const auto result = RunCommand(argv);
    if (result.exit_code != 0 && !(argv[0] == "mkvmerge" && result.exit_code == 1)) {
        std::fprintf(stderr, "%s failed: %s\n", argv[0].c_str(), result.err.c_str());
        return false;
    }
    return true;
}

std::vector<std::string> Ffmpeg(std::vector<std::string> middle, const fs::path &out)
{
    std::vector<std::string> argv = {"ffmpeg",
                                     "-nostdin",
                                     "-v",
                                     "error",
                                     "-y",
                                     "-f",
                                     "lavfi",
                                     "-i",
                                     "testsrc2=size=160x120:rate=25:duration=2",
                                     "-f",
                                     "lavfi",
                                     "-i",
                                     "sine=frequency=440:duration=2"};
    argv.insert(argv.end(), middle.begin(), middle.end());
    argv.push_back(out.string());
    return argv;
}

/// count copies of the originals, in turn, in a folder of their own.
std::vector<std::string> Copies(const std::vector<fs::path> &originals, const fs::path &folder,
                                int count)
{
    fs::create_directories(folder);
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        const fs::path &from = originals[static_cast<std::size_t>(i) % originals.size()];
        const fs::path to = folder / ("film" + std::to_string(i) + ".mkv");
        fs::copy_file(from, to);
        files.push_back(to.string());
    }
    return files;
}

double MsPerFile(Clock::duration total, std::size_t files)
{
    return std::chrono::duration<double, std::milli>(total).count() / double(files);
}

struct Timing
{
    double before_ms = 0, after_ms = 0;
    int read_in_process = 0;
    bool same = true;
};

Timing Measure(const std::vector<std::string> &files)
{
    Timing timing;
    std::vector<std::size_t> counts;
    counts.reserve(files.size());
    auto start = Clock::now();
    for (const std::string &file : files)
        counts.push_back(mkvextract::TrackIdentifier::IdentifyWithMkvmerge(file).size());
    timing.before_ms = MsPerFile(Clock::now() - start, files.size());

    start = Clock::now();
    for (std::size_t i = 0; i < files.size(); ++i) {
        EmTrackInfo *info = nullptr;
        if (em_gettrackinfo(files[i].c_str(), &info) != 0
            || static_cast<std::size_t>(info->count) != counts[i])
            timing.same = false;
        em_freetrackinfo(info);
    }
    timing.after_ms = MsPerFile(Clock::now() - start, files.size());

    for (const std::string &file : files)
        timing.read_in_process += mkvextract::TrackHeaderReader::Read(file).has_value();
    return timing;
}

} // namespace

int main(int argc, char **argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    quillet::test::TempDir dir;
    const fs::path srt = dir.path() / "in.srt";
    {
        std::FILE *out = std::fopen(srt.c_str(), "w");
        std::fputs("1\n00:00:00,200 --> 00:00:01,000\nHello\n\n2\n00:00:01,200 --> "
                   "00:00:01,800\nAgain\n",
                   out);
        std::fclose(out);
    }
    // Small films as a folder of downloads holds them: ffmpeg's and mkvmerge's writing, text
    // subtitles in two formats, languages and names.
    const fs::path h264 = dir.path() / "h264.mkv", mpeg4 = dir.path() / "mpeg4.mkv",
                   remuxed = dir.path() / "remuxed.mkv", flac = dir.path() / "flac.mkv",
                   ac3 = dir.path() / "ac3.mkv";
    const bool made = Run(Ffmpeg({"-i", srt.string(), "-map", "0", "-map", "1", "-map", "2", "-c:v",
                                  "libx264", "-c:a", "aac", "-c:s", "subrip", "-metadata:s:s:0",
                                  "language=ger", "-metadata:s:s:0", "title=Deutsch"},
                                 h264))
        && Run(Ffmpeg({"-i", srt.string(), "-map", "0", "-map", "1", "-map", "2", "-c:v", "mpeg4",
                       "-c:a", "libmp3lame", "-c:s", "ass"},
                      mpeg4))
        && Run({"mkvmerge", "-q", "-o", remuxed.string(), "--language", "2:fre", "--track-name",
                "2:Français", h264.string(), "--language", "0:eng", srt.string()})
        && Run(Ffmpeg({"-map", "0", "-map", "1", "-c:v", "mpeg4", "-c:a", "flac"}, flac))
        && Run(Ffmpeg({"-i", srt.string(), "-map", "0", "-map", "1", "-map", "2", "-c:v", "mpeg4",
                       "-c:a", "ac3", "-c:s", "subrip"},
                      ac3));
    if (!made)
        return 1;

    const auto films = Copies({h264, mpeg4, remuxed, flac}, dir.path() / "films", count);
    const auto checked = Copies({ac3}, dir.path() / "ac3", std::max(count / 20, 1));
    const Timing main_set = Measure(films);
    const Timing ac3_set = Measure(checked);
    if (!main_set.same || !ac3_set.same) {
        std::fprintf(stderr, "the track counts differ between mkvmerge and em_gettrackinfo\n");
        return 1;
    }

    std::printf("files:                         %d small .mkv files (4 kinds)\n", count);
    std::printf("read in process:               %d of %d\n", main_set.read_in_process, count);
    std::printf("before (mkvmerge -J per file): %.3f ms per file, %.1f s for %d\n",
                main_set.before_ms, main_set.before_ms * count / 1000, count);
    std::printf("after (em_gettrackinfo):       %.3f ms per file, %.2f s for %d\n",
                main_set.after_ms, main_set.after_ms * count / 1000, count);
    std::printf("speed-up:                      %.0fx\n", main_set.before_ms / main_set.after_ms);
    std::printf("files mkvmerge must check:     %zu (AC-3), %d read in process; before %.3f ms, "
                "after %.3f ms per file\n",
                checked.size(), ac3_set.read_in_process, ac3_set.before_ms, ac3_set.after_ms);
    return 0;
}
