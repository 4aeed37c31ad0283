// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

/**
 * The folder the programs write beside themselves: the profile files of ini/ (Save and Apply,
 * Save as, the remembered pick in kreldef.ini) and the default output/ folder.
 *
 * A program folder the user can write (the build tree, a copied folder) is that folder, as it
 * always was. An installed program folder is read-only, so a per-user stand-in takes its place:
 * $XDG_DATA_HOME/quillet (default ~/.local/share/quillet), whose ini/ gets a copy of every
 * built-in profile file it does not have yet at each start (a file the user already has is never
 * replaced, so saved profiles survive upgrades, and a file new in an upgrade is added) and whose
 * output/ is the default output folder. Everything the program reads only (its libraries,
 * language files and pages) stays in the program folder.
 */
namespace quillet::platform {

/// Whether this process can create files in folder: access(W_OK) and a probe file made and
/// removed there. The probe catches what the permission check alone misses: a read-only mount,
/// or a superuser, whom permission bits do not stop, on a file system that refuses writes.
bool FolderWritable(const std::string &folder);

/// The data home of the base directory rules (platform/BaseDirectories.h): $XDG_DATA_HOME when
/// absolute, else $HOME/.local/share; empty without a usable home. Without a trailing '/'.
std::string UserDataHome();

/// Where the writing goes, and how it was set up.
struct DataFolderChoice
{
    std::string folder; ///< without a trailing '/'; holds ini/ and output/ (the program folder
                        ///< when the stand-in could not be made)
    bool stand_in = false; ///< the per-user stand-in, not the program folder
    int files_added = 0; ///< built-in profile files copied into the stand-in this time
    std::string error; ///< why the stand-in could not be fully set up (empty when it was)
};

/**
 * Chooses the folder for program_folder and, for the stand-in, brings its ini/ up to date with
 * the program folder's and creates its output/.
 * @param program_folder without a trailing '/'
 * @param user_data_home the base the stand-in goes under (UserDataHome() in the programs); empty
 *        when the user has none, and then the program folder stays the folder, with an error
 * @param writable the writability check (FolderWritable in the programs)
 */
DataFolderChoice
ChooseDataFolder(const std::string &program_folder, const std::string &user_data_home,
                 const std::function<bool(const std::string &)> &writable = FolderWritable);

} // namespace quillet::platform
