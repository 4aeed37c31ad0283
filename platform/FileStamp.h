// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillet::platform {

/// What tells one version of a file from another without reading it: its size and the time of
/// its last change to the nanosecond (and whether it is a regular file at all).
struct FileStamp
{
    uint64_t size_bytes = 0;
    int64_t modified_ns = 0; ///< since the epoch
    bool regular = true; ///< false for a folder, device, FIFO or socket

    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

/// The stamp of what is at path, symbolic links followed; nothing when nothing can be reached
/// there (missing, a folder on the way missing or not searchable). Never opens the file.
std::optional<FileStamp> StampOf(const std::string &path);

} // namespace quillet::platform
