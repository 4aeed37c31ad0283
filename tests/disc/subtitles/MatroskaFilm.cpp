// SPDX-License-Identifier: GPL-3.0-or-later
#include "MatroskaFilm.h"

#include "Command.h"
#include "TempDir.h"

#include <stdexcept>

namespace quillet::test {

std::filesystem::path MakeFilmWithSubtitleTracks(const std::filesystem::path &folder)
{
    const std::filesystem::path video = folder / "video.mkv";
    auto made = RunCommand({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                            "testsrc2=size=160x120:rate=25:duration=6", "-c:v", "mpeg4", "-q:v",
                            "2", video.string()});
    if (made.exit_code != 0)
        throw std::runtime_error("ffmpeg failed: " + made.err);
    const auto srt = WriteFile(folder / "text.srt",
                               "1\n00:00:00,500 --> 00:00:02,000\n"
                               "First line\n\n"
                               "2\n00:00:04,000 --> 00:00:05,000\n"
                               "Second line\n");
    std::filesystem::path film = folder / "in" / "film.mkv";
    std::filesystem::create_directories(film.parent_path());
    auto merged = RunCommand({"mkvmerge", "-q", "-o", film.string(), video.string(), srt.string(),
                              srt.string(), srt.string()});
    // mkvmerge exits with 1 for warnings only.
    if (merged.exit_code != 0 && merged.exit_code != 1)
        throw std::runtime_error("mkvmerge failed: " + merged.err + merged.out);
    return film;
}

} // namespace quillet::test
