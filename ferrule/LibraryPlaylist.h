// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

namespace quillet::ferrule {

/// What one AddFile call did.
struct AddResult
{
    bool added = false; ///< the file is in the library
    std::filesystem::path destination; ///< where it lies in the library, when added
    std::string error; ///< why it is not, when not added
};

/// The library's playlist of all its items. Holding one means holding the library: it is free
/// for the next import only once this object is released (destroyed).
class LibraryPlaylist
{
public:
    virtual ~LibraryPlaylist() = default;

    /// Adds one file to the library.
    /// @param path the file, as the command line named it
    /// @return whether the file is now in the library, and where, or why not
    virtual AddResult AddFile(const std::string &path) = 0;
};

} // namespace quillet::ferrule
