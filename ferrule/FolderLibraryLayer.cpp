// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderLibraryLayer.h"

#include "FolderLibraryApplication.h"

namespace quillet::ferrule {

FolderLibraryLayer::FolderLibraryLayer(std::filesystem::path folder)
    : m_folder(std::move(folder))
{ }

void FolderLibraryLayer::Initialize() { }

void FolderLibraryLayer::Uninitialize() { }

std::unique_ptr<MediaApplication> FolderLibraryLayer::CreateApplication()
{
    std::error_code error;
    if (m_folder.empty() || !std::filesystem::is_directory(m_folder, error))
        return nullptr;
    return std::make_unique<FolderLibraryApplication>(m_folder);
}

} // namespace quillet::ferrule
