// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LibraryPlaylist.h"

#include <memory>
#include <string>

namespace quillet::ferrule {

/// How the library answered a request for its playlist.
enum class PlaylistStatus {
    Granted, ///< the playlist is ours until it is released
    Busy, ///< another import holds the library right now
    Failed, ///< the library cannot be taken at all (see the error text)
};

/// The answer to MediaApplication::GetLibraryPlaylist.
struct PlaylistGrant
{
    PlaylistStatus status = PlaylistStatus::Failed;
    std::unique_ptr<LibraryPlaylist> playlist; ///< set only when Granted
    std::string error; ///< set only when Failed
};

/// The media library application. Releasing it (destroying the object) is the last thing done
/// with it; its playlist must be released first.
class MediaApplication
{
public:
    virtual ~MediaApplication() = default;

    /// Asks for the library playlist, without waiting when another import holds it.
    virtual PlaylistGrant GetLibraryPlaylist() = 0;
};

} // namespace quillet::ferrule
