// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/ShippedProfiles.h"

#include "platform/AtomicFile.h"
#include "platform/IniDocument.h"
#include "platform/TextCase.h"

#include <string>
#include <system_error>

namespace quillet::shipped {

namespace fs = std::filesystem;

fs::path CopyOf(const fs::path &profile_file)
{
    return profile_file.parent_path() / "shipped" / profile_file.filename();
}

bool KeepBeforeWrite(const fs::path &profile_file)
{
    const fs::path copy = CopyOf(profile_file);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(copy, ec)) || !fs::is_regular_file(profile_file, ec))
        return true;
    std::string contents;
    if (!platform::ReadWholeFile(profile_file, contents))
        return false;
    fs::create_directories(copy.parent_path(), ec);
    return !ec && platform::ReplaceFileAtomically(copy, contents);
}

fs::path ValuesFileFor(const fs::path &profile_file, std::string_view section)
{
    fs::path copy = CopyOf(profile_file);
    std::error_code ec;
    if (!fs::is_regular_file(copy, ec))
        return profile_file;
    platform::IniDocument doc;
    doc.Load(copy);
    for (const std::string &name : doc.SectionNames())
        if (platform::EqualsIgnoringCase(name, section))
            return copy;
    return profile_file;
}

} // namespace quillet::shipped
