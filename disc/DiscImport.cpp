// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc/DiscImport.h"

#include "platform/TextCase.h"

#include <cctype>
#include <filesystem>

namespace quillet {

namespace {

/// The entry of folder called name, matched without regard to case (discs are mounted with
/// their names in upper or lower case, depending on the file system and its options).
std::filesystem::path FindEntry(const std::filesystem::path &folder, const std::string &name)
{
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec))
        if (platform::EqualsIgnoringCase(it->path().filename().string(), name))
            return it->path();
    return {};
}

/// "*.*ts": a name with a dot that ends in "ts", in any case.
bool IsStreamName(const std::string &name)
{
    if (name.size() < 3 || name.find('.') == std::string::npos)
        return false;
    const std::string end = name.substr(name.size() - 2);
    return platform::EqualsIgnoringCase(end, "ts") && name.find('.') <= name.size() - 3;
}

} // namespace

std::vector<std::string> DiscImport::StreamFiles(const std::string &root)
{
    std::vector<std::string> files;
    auto bdmv = FindEntry(root, "BDMV");
    if (bdmv.empty())
        return files;
    auto stream = FindEntry(bdmv, "STREAM");
    if (stream.empty())
        return files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(stream, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code size_ec;
        if (!it->is_regular_file(size_ec) || !IsStreamName(it->path().filename().string()))
            continue;
        if (it->file_size(size_ec) > kMinimumStreamSize && !size_ec)
            files.push_back(it->path().string());
    }
    return files;
}

DiscImport::Result DiscImport::Run(const platform::DriveSources &sources, const AddFileFn &add,
                                   Prompter &prompter)
{
    Result result;
    const platform::OpticalDrives drives = platform::FindOpticalDrives(sources);
    result.outcome = drives.any_drive ? Outcome::NoDisc : Outcome::NoDrive;
    for (const auto &root : drives.mounted_roots) {
        for (const auto &file : StreamFiles(root)) {
            result.last_row = add(file);
            result.added.push_back(file);
        }
        if (!result.added.empty())
            result.outcome = Outcome::Found;
    }
    if (result.outcome == Outcome::NoDrive)
        prompter.Tell(kNoDrive);
    else if (result.outcome == Outcome::NoDisc)
        prompter.Tell(kNoDisc);
    return result;
}

} // namespace quillet
