// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AutomationLayer.h"
#include "Messages.h"

#include <functional>
#include <memory>
#include <string>

namespace quillet::ferrule {

/// ferrule's exit status. The converter reports every status but 0 as a failed
/// post-processing step of the output, so 0 means the file is in the library (or there was
/// nothing to add).
enum class ExitStatus : int {
    Done = 0, ///< the file was added, or the command line named nothing
    Failed = 1, ///< an unexpected error inside ferrule
    LibraryBusy = 2, ///< another import held the library; the file was not added
    NotAdded = 3, ///< the library was there but the file could not be added (disk full, ...)
    NoLibrary = 4, ///< there is no library to add to ("Cannot Find iTunes")
    CannotOpen = 5, ///< the file cannot be opened for reading ("Cannot open file ...")
};

/// Makes the automation layer for the file to import (the library may depend on the file's
/// kind).
using LayerFactory = std::function<std::unique_ptr<AutomationLayer>(const std::string &path)>;

/// The importer's whole run: command-line tail to path, readability check, import, messages.
class ImporterApp
{
public:
    static constexpr const char *kNoLibraryText = "Cannot Find iTunes";

    /// @param make_layer called once, for a readable file only
    /// @param messages where warnings go
    ImporterApp(LayerFactory make_layer, Messages &messages);

    /// Runs the import for one command-line tail.
    /// @param tail the arguments joined (JoinTail), quoting still on
    /// @return the status for the process to exit with
    ExitStatus Start(const std::string &tail);

private:
    LayerFactory m_make_layer;
    Messages &m_messages;
};

} // namespace quillet::ferrule
