// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileStamp.h"

#include <sys/stat.h>

namespace quillet::platform {

std::optional<FileStamp> StampOf(const std::string &path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    constexpr int64_t kNsPerSecond = 1000000000;
    FileStamp stamp;
    stamp.regular = S_ISREG(st.st_mode);
    stamp.size_bytes = stamp.regular ? static_cast<uint64_t>(st.st_size) : 0;
    stamp.modified_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * kNsPerSecond
        + static_cast<int64_t>(st.st_mtim.tv_nsec);
    return stamp;
}

} // namespace quillet::platform
