// SPDX-License-Identifier: GPL-3.0-or-later
#include "LibraryLocation.h"

#include "platform/BaseDirectories.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <sstream>

namespace quillet::ferrule {

namespace {

// Containers that only ever hold sound count as audio too (mka, m4b); plain ogg is treated as
// audio because that is what nearly every .ogg file is.
constexpr std::array kAudioExtensions = {
    "aac",  "ac3",  "aif", "aifc", "aiff", "alac", "amr", "ape", "au",   "caf", "dts",
    "eac3", "flac", "m4a", "m4b",  "m4p",  "mka",  "mp2", "mp3", "mpa",  "mpc", "oga",
    "ogg",  "opus", "ra",  "snd",  "spx",  "tta",  "w64", "wav", "weba", "wma", "wv",
};

std::optional<std::string> NonEmpty(const EnvironmentLookup &environment, const char *name)
{
    std::optional<std::string> value = environment(name);
    if (value && value->empty())
        return std::nullopt;
    return value;
}

std::string ReadText(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string_view SkipBlanks(std::string_view text)
{
    const size_t start = text.find_first_not_of(" \t");
    return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

/// A value between double quotes, with the shell's backslash escapes undone.
std::optional<std::string> QuotedValue(std::string_view text)
{
    if (text.empty() || text.front() != '"')
        return std::nullopt;
    std::string value;
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '"')
            return value;
        if (text[i] == '\\' && i + 1 < text.size())
            ++i;
        value += text[i];
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> ParseUserDirLine(std::string_view line, std::string_view key,
                                                      const std::filesystem::path &home)
{
    line = SkipBlanks(line);
    if (!line.starts_with(key))
        return std::nullopt;
    line = SkipBlanks(line.substr(key.size()));
    if (!line.starts_with('='))
        return std::nullopt;
    std::optional<std::string> value = QuotedValue(SkipBlanks(line.substr(1)));
    if (!value)
        return std::nullopt;

    std::string_view rest = *value;
    std::filesystem::path folder;
    if (rest.starts_with("$HOME")) {
        // Without a usable home a folder under it names nothing.
        if (home.empty())
            return std::nullopt;
        rest.remove_prefix(5);
        if (!rest.empty() && rest.front() != '/')
            return std::nullopt;
        while (rest.starts_with('/'))
            rest.remove_prefix(1);
        if (rest.empty())
            return std::nullopt;
        folder = home / rest;
    } else if (rest.starts_with('/')) {
        folder = rest;
    } else {
        return std::nullopt;
    }
    // xdg-user-dirs points a folder it should not use at the home folder; copying media straight
    // into the home folder would surprise anyone.
    if (folder.lexically_normal() == home.lexically_normal())
        return std::nullopt;
    return folder;
}

} // namespace

MediaKind MediaKindOf(std::string_view path)
{
    const std::string name = std::filesystem::path(path).filename().string();
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return MediaKind::Video;
    std::string extension = name.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const bool audio = std::find(kAudioExtensions.begin(), kAudioExtensions.end(), extension)
        != kAudioExtensions.end();
    return audio ? MediaKind::Audio : MediaKind::Video;
}

std::optional<std::filesystem::path> FindUserDir(std::string_view text, std::string_view key,
                                                 const std::filesystem::path &home)
{
    // Later lines win, as they would when the shell sources the file.
    std::optional<std::filesystem::path> found;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (std::optional<std::filesystem::path> folder = ParseUserDirLine(line, key, home))
            found = std::move(folder);
    }
    return found;
}

std::filesystem::path LocateLibraryFolder(std::string_view media_path,
                                          const EnvironmentLookup &environment)
{
    if (std::optional<std::string> configured = NonEmpty(environment, "QUILLET_MEDIA_LIBRARY"))
        return *configured;

    // The base directory rules decide the home and the configuration folder; without a usable
    // home only a folder named in full (above, or absolute in user-dirs.dirs) can be the library.
    const std::filesystem::path home = platform::UserHome(environment).value_or(std::string());
    const bool audio = MediaKindOf(media_path) == MediaKind::Audio;
    if (std::optional<std::string> config_home = platform::ConfigHome(environment)) {
        const std::string user_dirs
            = ReadText(std::filesystem::path(*config_home) / "user-dirs.dirs");
        if (std::optional<std::filesystem::path> folder
            = FindUserDir(user_dirs, audio ? "XDG_MUSIC_DIR" : "XDG_VIDEOS_DIR", home))
            return *folder;
    }
    if (home.empty())
        return {};
    return home / (audio ? "Music" : "Videos");
}

} // namespace quillet::ferrule
