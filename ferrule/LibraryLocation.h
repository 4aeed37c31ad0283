// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BaseDirectories.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quillet::ferrule {

/// Which of the user's media folders a file belongs in.
enum class MediaKind { Audio, Video };

using platform::EnvironmentLookup;
using platform::SystemEnvironment;

/// Audio by the file's extension (m4a, mp3, flac, ...; any case), video for everything else.
MediaKind MediaKindOf(std::string_view path);

/// Looks a folder up in the text of a user-dirs.dirs file.
/// @param text the file's content (shell-style `KEY="value"` lines)
/// @param key XDG_MUSIC_DIR, XDG_VIDEOS_DIR, ...
/// @param home what `$HOME` stands for; empty when the user has no usable home, and then a folder
///        under `$HOME` names nothing
/// @return the folder; nullopt when the key is missing, malformed or points at the home folder
///         itself, which is how a user switches such a folder off
std::optional<std::filesystem::path> FindUserDir(std::string_view text, std::string_view key,
                                                 const std::filesystem::path &home);

/// The media library folder for a file: QUILLET_MEDIA_LIBRARY when set and not empty; otherwise
/// the user's music folder for audio and videos folder for video, from
/// `$XDG_CONFIG_HOME/user-dirs.dirs` (default `~/.config`), else ~/Music and ~/Videos, all as the
/// base directory rules have them (platform/BaseDirectories.h). The folder is not checked: a
/// missing folder, or an empty path when the user has no usable home, means there is no library.
std::filesystem::path LocateLibraryFolder(std::string_view media_path,
                                          const EnvironmentLookup &environment);

} // namespace quillet::ferrule
