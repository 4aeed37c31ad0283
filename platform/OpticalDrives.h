// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace quillet::platform {

/// Where the optical drives of this machine are read from; tests and the command line may point
/// these at files of their own (QUILLET_MOUNT_TABLE, QUILLET_OPTICAL_DEVICES).
struct DriveSources
{
    std::string mount_table = "/proc/self/mounts";
    std::string device_folder = "/sys/block"; ///< holds an sr* entry per optical drive

    /// The defaults with the environment's overrides applied.
    static DriveSources FromEnvironment();
};

/// The optical drives found: the mount points of mounted discs (each ending with '/'), and
/// whether any optical drive exists at all (mounted or not).
struct OpticalDrives
{
    std::vector<std::string> mounted_roots;
    bool any_drive = false;
};

/**
 * Reads the optical drives: mount table entries whose device is /dev/sr* or whose file system is
 * iso9660 or udf are mounted discs, in table order; a drive without a mounted disc is known from
 * its sr* device entry.
 */
OpticalDrives FindOpticalDrives(const DriveSources &sources);

} // namespace quillet::platform
