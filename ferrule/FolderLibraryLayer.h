// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AutomationLayer.h"

#include <filesystem>

namespace quillet::ferrule {

/// The automation layer on Linux, where the media library is a folder: the application exists
/// exactly when the folder does, its playlist is an exclusive lock on the folder, and adding a
/// file copies it in.
class FolderLibraryLayer : public AutomationLayer
{
public:
    /// @param folder the library folder (see LocateLibraryFolder)
    explicit FolderLibraryLayer(std::filesystem::path folder);

    /// Nothing to set up for a folder.
    void Initialize() override;
    void Uninitialize() override;
    /// @return the library, or nullptr when the folder is missing or is not a folder
    std::unique_ptr<MediaApplication> CreateApplication() override;

private:
    std::filesystem::path m_folder;
};

} // namespace quillet::ferrule
