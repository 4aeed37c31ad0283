// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AutomationLayer.h"

#include <filesystem>
#include <string>

namespace quillet::ferrule {

/// How an import ended, short of the library being busy (that one is an exception).
enum class ImportOutcome {
    Added, ///< the file is in the library
    NoLibrary, ///< no application object: there is no library to add to
    NotAdded, ///< the library was reached but the file is not in it (see the error text)
};

/// The result of ImportFile.
struct ImportResult
{
    ImportOutcome outcome = ImportOutcome::NotAdded;
    std::filesystem::path destination; ///< where the file lies in the library, when Added
    std::string error; ///< why not, when NotAdded
};

/// Runs the import sequence for one file over an automation layer. Whatever happens, every
/// object taken from the layer is released and the layer uninitialised before this returns or
/// throws.
/// @param layer the library's automation layer
/// @param path the file to add, already checked to be readable
/// @throws ITunesBusyException when the library refuses its playlist; nothing is added then
ImportResult ImportFile(AutomationLayer &layer, const std::string &path);

} // namespace quillet::ferrule
