// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// ferrule adds one finished file to the user's media library. The importer (ImporterApp) turns
// the command line into a path and checks it; the import sequence (ImportFile) then talks to the
// library only through this automation layer, in a fixed order:
//
//   Initialize -> CreateApplication -> GetLibraryPlaylist -> AddFile
//              -> release playlist -> release application -> Uninitialize
//
// Releases are object lifetimes (unique_ptr), so every exit path, the busy exception included,
// gives everything back in that order. FolderLibraryLayer is the backend used on Linux, where the
// library is a folder; tests put a recording fake in its place.

#include "MediaApplication.h"

#include <memory>

namespace quillet::ferrule {

/// Entry to the media library's automation interface.
class AutomationLayer
{
public:
    virtual ~AutomationLayer() = default;

    /// Prepares the layer for this thread; paired with Uninitialize.
    virtual void Initialize() = 0;
    /// Undoes Initialize once every object of the layer has been released.
    virtual void Uninitialize() = 0;

    /// Reaches the media library application.
    /// @return the application, or nullptr when there is no library to reach
    virtual std::unique_ptr<MediaApplication> CreateApplication() = 0;
};

} // namespace quillet::ferrule
