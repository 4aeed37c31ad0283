// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace quillet::test {

/**
 * Makes folder/in/film.mkv: a six-second clip with three subtitle tracks (the same two lines,
 * "First line" and "Second line"), about 600 KB, so the extraction library reports its progress
 * in several steps. Made with the ffmpeg and mkvmerge programs; throws std::runtime_error when
 * either fails.
 */
std::filesystem::path MakeFilmWithSubtitleTracks(const std::filesystem::path &folder);

} // namespace quillet::test
