// SPDX-License-Identifier: GPL-3.0-or-later
#include "MediaFixtures.h"

#include "Command.h"

#include <sstream>
#include <stdexcept>

namespace quillet::test {

std::filesystem::path MakeClip(const std::filesystem::path &path, const ClipRecipe &recipe)
{
    std::vector<std::string> argv
        = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"};
    const std::string seconds = std::to_string(recipe.seconds);
    int input = 0;
    std::vector<std::string> maps;
    if (recipe.video) {
        argv.insert(argv.end(),
                    {"-f", "lavfi", "-i",
                     "testsrc2=size=" + std::to_string(recipe.width) + "x"
                         + std::to_string(recipe.height) + ":rate=" + recipe.frame_rate
                         + ":duration=" + seconds});
        maps.push_back(std::to_string(input++) + ":v");
    }
    for (int a = 0; a < recipe.audio_streams; ++a) {
        argv.insert(argv.end(),
                    {"-f", "lavfi", "-i",
                     "sine=frequency=" + std::to_string(440 + 220 * a) + ":sample_rate="
                         + std::to_string(recipe.sample_rate) + ":duration=" + seconds});
        maps.push_back(std::to_string(input++) + ":a");
    }
    for (const auto &m : maps)
        argv.insert(argv.end(), {"-map", m});
    if (recipe.video)
        argv.insert(argv.end(), {"-c:v", recipe.video_codec, "-pix_fmt", "yuv420p"});
    if (recipe.audio_streams > 0)
        argv.insert(argv.end(), {"-c:a", recipe.audio_codec});
    argv.insert(argv.end(), recipe.output_options.begin(), recipe.output_options.end());
    argv.push_back(path.string());

    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    auto result = RunCommand(argv);
    if (result.exit_code != 0)
        throw std::runtime_error("ffmpeg could not make " + path.string() + ": " + result.err);
    return path;
}

int ProbedFile::count(const std::string &type) const
{
    int n = 0;
    for (const auto &s : streams)
        n += s.type == type;
    return n;
}

const ProbedStream *ProbedFile::first(const std::string &type) const
{
    for (const auto &s : streams)
        if (s.type == type)
            return &s;
    return nullptr;
}

ProbedFile Ffprobe(const std::filesystem::path &path)
{
    // The flat writer gives one "section.N.key=value" line per field.
    auto result = RunCommand({"ffprobe", "-v", "error", "-show_format", "-show_streams", "-of",
                              "flat=s=_", path.string()});
    ProbedFile file;
    if (result.exit_code != 0)
        return file;
    file.ok = true;
    std::istringstream lines(result.out);
    std::string line;
    while (std::getline(lines, line)) {
        auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = line.substr(0, eq);
        std::string value = line.substr(eq + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (key == "format_format_name") {
            file.format = value;
        } else if (key == "format_duration") {
            file.duration = std::atof(value.c_str());
        } else if (key.rfind("streams_stream_", 0) == 0) {
            std::size_t pos = 15;
            std::size_t underscore = key.find('_', pos);
            int index = std::stoi(key.substr(pos, underscore - pos));
            std::string field = key.substr(underscore + 1);
            if (static_cast<int>(file.streams.size()) <= index)
                file.streams.resize(static_cast<std::size_t>(index) + 1);
            auto &s = file.streams[static_cast<std::size_t>(index)];
            if (field == "index")
                s.index = std::stoi(value);
            else if (field == "codec_type")
                s.type = value;
            else if (field == "codec_name")
                s.codec = value;
            else if (field == "width")
                s.width = std::stoi(value);
            else if (field == "height")
                s.height = std::stoi(value);
            else if (field == "display_aspect_ratio")
                s.display_aspect = value;
            else if (field == "sample_rate")
                s.sample_rate = std::atoi(value.c_str());
            else if (field == "channels")
                s.channels = std::stoi(value);
            else if (field == "profile")
                s.profile = value;
        }
    }
    return file;
}

uint32_t RgbFrame::at(int x, int y) const
{
    std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width)
                     + static_cast<std::size_t>(x))
        * 3;
    return (uint32_t(pixels[i]) << 16) | (uint32_t(pixels[i + 1]) << 8) | pixels[i + 2];
}

RgbFrame GrabFrame(const std::filesystem::path &path, double seconds)
{
    RgbFrame frame;
    auto size = RunCommand({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                            "stream=width,height", "-of", "csv=p=0:s=x", path.string()});
    if (size.exit_code != 0
        || std::sscanf(size.out.c_str(), "%dx%d", &frame.width, &frame.height) != 2)
        return {};
    auto raw
        = RunCommand({"ffmpeg", "-nostdin", "-v", "error", "-ss", std::to_string(seconds), "-i",
                      path.string(), "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    if (raw.exit_code != 0
        || raw.out.size() != static_cast<std::size_t>(frame.width) * frame.height * 3)
        return {};
    frame.pixels.assign(raw.out.begin(), raw.out.end());
    return frame;
}

} // namespace quillet::test
