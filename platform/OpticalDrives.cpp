// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/OpticalDrives.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quillet::platform {

namespace {

/// Mount tables escape blanks and backslashes in octal ("\040" for a space).
std::string Unescape(const std::string &field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (digits.size() == 3 && digits.find_first_not_of("01234567") == std::string::npos) {
                out += static_cast<char>(std::strtol(digits.c_str(), nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

} // namespace

DriveSources DriveSources::FromEnvironment()
{
    DriveSources sources;
    if (const char *table = std::getenv("QUILLET_MOUNT_TABLE"); table && *table)
        sources.mount_table = table;
    if (const char *devices = std::getenv("QUILLET_OPTICAL_DEVICES"); devices && *devices)
        sources.device_folder = devices;
    return sources;
}

OpticalDrives FindOpticalDrives(const DriveSources &sources)
{
    OpticalDrives drives;
    std::ifstream table(sources.mount_table);
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string device, mount_point, type;
        if (!(fields >> device >> mount_point >> type))
            continue;
        const bool optical_device = device.rfind("/dev/sr", 0) == 0;
        if (!optical_device && type != "iso9660" && type != "udf")
            continue;
        std::string root = Unescape(mount_point);
        if (root.empty() || root.back() != '/')
            root += '/';
        drives.mounted_roots.push_back(root);
    }
    drives.any_drive = !drives.mounted_roots.empty();
    std::error_code ec;
    for (std::filesystem::directory_iterator it(sources.device_folder, ec), end; !ec && it != end;
         it.increment(ec))
        if (it->path().filename().string().rfind("sr", 0) == 0)
            drives.any_drive = true;
    return drives;
}

} // namespace quillet::platform
