// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quillet::test {

/// A clip made at test time with the ffmpeg program from its testsrc2 and sine sources.
struct ClipRecipe
{
    double seconds = 2.0;
    bool video = true;
    int width = 320;
    int height = 240;
    std::string frame_rate = "25";
    std::string video_codec = "mpeg4";
    int audio_streams = 1; ///< each a sine tone of its own frequency
    std::string audio_codec = "aac";
    int sample_rate = 44100;
    std::vector<std::string> output_options; ///< extra ffmpeg output options (e.g. -aspect 16:9)
};

/// Makes the clip at path (container from its extension); throws std::runtime_error on failure.
std::filesystem::path MakeClip(const std::filesystem::path &path, const ClipRecipe &recipe = {});

struct ProbedStream
{
    int index = -1;
    std::string type; ///< video, audio, subtitle, data
    std::string codec; ///< codec_name
    int width = 0;
    int height = 0;
    std::string display_aspect; ///< e.g. "16:9"
    int sample_rate = 0;
    int channels = 0;
    std::string profile;
};

struct ProbedFile
{
    bool ok = false;
    std::string format; ///< format_name
    double duration = 0;
    std::vector<ProbedStream> streams;
    // Spelled as every test folder calls them; they converge with the windows' tests.
    // NOLINTBEGIN(readability-identifier-naming)
    int count(const std::string &type) const;
    const ProbedStream *first(const std::string &type) const;
    // NOLINTEND(readability-identifier-naming)
};

/// What the ffprobe program says of a file.
ProbedFile Ffprobe(const std::filesystem::path &path);

/// One decoded video frame as packed RGB24.
struct RgbFrame
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    // As ProbedFile's.
    // NOLINTBEGIN(readability-identifier-naming)
    bool empty() const { return pixels.empty(); }
    /// The pixel at (x, y) as 0xRRGGBB.
    uint32_t at(int x, int y) const;
    // NOLINTEND(readability-identifier-naming)
};

/// Decodes the frame at the given time with the ffmpeg program.
RgbFrame GrabFrame(const std::filesystem::path &path, double seconds);

} // namespace quillet::test
