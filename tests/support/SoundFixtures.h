// SPDX-License-Identifier: GPL-3.0-or-later
// Surround and tagged clips made at test time, and what the ffmpeg and ffprobe programs measure
// of a result's sound and tags. Header-only: the engine's and the profiles' tests both use it.
#pragma once

#include "Command.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillet::test {

/// A surround clip: every channel a sine of its own frequency at amplitude (1.0 = full scale),
/// so that the channels add up to a known peak when they are mixed. layout: "5.1" or "7.1".
inline std::filesystem::path MakeSurroundClip(const std::filesystem::path &path,
                                              const std::string &layout, double amplitude,
                                              double seconds, bool video)
{
    const int channels = layout == "7.1" ? 8 : 6;
    std::string expression;
    for (int c = 0; c < channels; ++c) {
        if (c)
            expression += '|';
        expression
            += std::to_string(amplitude) + "*sin(2*PI*" + std::to_string(300 + 110 * c) + "*t)";
    }
    expression += ":s=48000:c=" + layout + ":d=" + std::to_string(seconds);
    std::vector<std::string> argv
        = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"};
    if (video)
        argv.insert(argv.end(),
                    {"-f", "lavfi", "-i",
                     "testsrc2=size=320x240:rate=25:duration=" + std::to_string(seconds)});
    argv.insert(argv.end(), {"-f", "lavfi", "-i", "aevalsrc=" + expression});
    if (video)
        argv.insert(argv.end(), {"-map", "0:v", "-map", "1:a", "-c:v", "mpeg4"});
    // FLAC keeps the level exactly, so what the tests measure is the conversion's doing.
    argv.insert(argv.end(), {"-c:a", "flac", path.string()});
    const CommandResult result = RunCommand(argv);
    if (result.exit_code != 0)
        throw std::runtime_error("ffmpeg could not make " + path.string() + ": " + result.err);
    return path;
}

struct SoundLevels
{
    bool measured = false;
    double peak_db = 0; ///< the loudest sample of any channel, dBFS (above 0: over full scale)
    double rms_db = 0; ///< the mean power of all channels, dBFS
};

/// The first audio stream's levels, decoded to float so that peaks above full scale show.
inline SoundLevels MeasureSound(const std::filesystem::path &path)
{
    const CommandResult result = RunCommand(
        {"ffmpeg", "-nostdin", "-hide_banner", "-i", path.string(), "-map", "0:a:0", "-af",
         "aformat=sample_fmts=fltp,astats=measure_perchannel=none", "-f", "null", "-"});
    SoundLevels levels;
    const auto read = [&](const std::string &name, double &value) {
        const auto at = result.err.rfind(name + ": ");
        if (at == std::string::npos)
            return false;
        value = std::strtod(result.err.c_str() + at + name.size() + 2, nullptr);
        return true;
    };
    levels.measured = result.exit_code == 0 && read("Peak level dB", levels.peak_db)
        && read("RMS level dB", levels.rms_db);
    return levels;
}

/// The tags of the container and of the first audio stream, keys in lower case (the container's
/// win). Ogg files keep their tags on the stream, most other formats on the container.
inline std::map<std::string, std::string> ReadTags(const std::filesystem::path &path)
{
    const CommandResult result
        = RunCommand({"ffprobe", "-v", "error", "-show_entries", "format_tags:stream_tags", "-of",
                      "flat=s=_", "-select_streams", "a:0", path.string()});
    std::map<std::string, std::string> tags;
    std::istringstream lines(result.out);
    std::string line;
    while (std::getline(lines, line)) {
        // format_tags_title="A title" or streams_stream_0_tags_title="..."
        const auto tags_at = line.find("tags_");
        const auto eq = line.find('=');
        if (tags_at == std::string::npos || eq == std::string::npos || eq < tags_at)
            continue;
        std::string key = line.substr(tags_at + 5, eq - tags_at - 5);
        std::transform(key.begin(), key.end(), key.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        std::string value = line.substr(eq + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        const bool from_container = line.rfind("format_", 0) == 0;
        if (from_container || !tags.count(key))
            tags[key] = value;
    }
    return tags;
}

/// How many attached pictures (cover art) the file holds, and the codec of the first.
inline int AttachedPictures(const std::filesystem::path &path, std::string *codec = nullptr)
{
    const CommandResult result = RunCommand({"ffprobe", "-v", "error", "-show_entries",
                                             "stream=codec_name:stream_disposition=attached_pic",
                                             "-of", "csv=p=0", path.string()});
    int count = 0;
    std::istringstream lines(result.out);
    std::string line;
    while (std::getline(lines, line)) {
        const auto comma = line.find(',');
        if (comma == std::string::npos || line.substr(comma + 1) != "1")
            continue;
        if (count++ == 0 && codec)
            *codec = line.substr(0, comma);
    }
    return count;
}

} // namespace quillet::test
