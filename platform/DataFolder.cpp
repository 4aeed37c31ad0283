// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFolder.h"

#include "AtomicFile.h"
#include "BaseDirectories.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace quillet::platform {

namespace fs = std::filesystem;

namespace {

constexpr const char *kStandInName = "quillet";
constexpr const char *kProfileFolder = "ini";
constexpr const char *kOutputFolder = "output";

// Copies every built-in .ini file the stand-in lacks. Each copy is written atomically, so a
// crash never leaves half a profile file behind, which, being present, would never be replaced.
int AddMissingProfiles(const fs::path &built_in, const fs::path &own, std::string &error)
{
    int added = 0;
    std::error_code ec;
    for (fs::directory_iterator it(built_in, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path &source = it->path();
        if (source.extension() != ".ini" || !it->is_regular_file(ec))
            continue;
        const fs::path target = own / source.filename();
        if (fs::exists(fs::symlink_status(target, ec)))
            continue; // the user's own, whatever it now holds
        std::string contents;
        std::string why;
        if (!ReadWholeFile(source, contents) || !ReplaceFileAtomically(target, contents, &why)) {
            error = "cannot copy " + source.string() + " to " + target.string()
                + (why.empty() ? "" : ": " + why);
            continue;
        }
        ++added;
    }
    if (ec && error.empty())
        error = "cannot list " + built_in.string() + ": " + ec.message();
    return added;
}

} // namespace

bool FolderWritable(const std::string &folder)
{
    if (::access(folder.c_str(), W_OK) != 0)
        return false;
    std::string probe = folder + "/.quillet-write-probe-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

std::string UserDataHome()
{
    return DataHome().value_or(std::string());
}

DataFolderChoice ChooseDataFolder(const std::string &program_folder,
                                  const std::string &user_data_home,
                                  const std::function<bool(const std::string &)> &writable)
{
    DataFolderChoice choice;
    if (writable(program_folder)) {
        choice.folder = program_folder;
        return choice;
    }
    choice.stand_in = true;
    if (user_data_home.empty()) {
        // Nowhere of the user's own to write: the built-in profiles stay readable where they
        // are, and nothing is made in whatever folder the program was started from.
        choice.error = NoHomeReason("XDG_DATA_HOME") + "; profiles cannot be saved";
        choice.folder = program_folder;
        return choice;
    }
    choice.folder = user_data_home + "/" + kStandInName;
    const fs::path own = fs::path(choice.folder) / kProfileFolder;
    std::error_code ec;
    fs::create_directories(own, ec);
    if (ec) {
        // Without a stand-in the built-in profiles stay readable where they are; saving one
        // then fails with its own message.
        choice.error = "cannot create " + own.string() + ": " + ec.message();
        choice.folder = program_folder;
        return choice;
    }
    choice.files_added
        = AddMissingProfiles(fs::path(program_folder) / kProfileFolder, own, choice.error);
    const fs::path output = fs::path(choice.folder) / kOutputFolder;
    fs::create_directories(output, ec);
    if (ec && choice.error.empty())
        choice.error = "cannot create " + output.string() + ": " + ec.message();
    return choice;
}

} // namespace quillet::platform
