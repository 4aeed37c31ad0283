// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/SourceSnapshot.h"

#include <sys/stat.h>

namespace quillet {

SourceSnapshot SourceSnapshot::Of(const std::string &path)
{
    SourceSnapshot snapshot;
    struct stat st;
    // Only a regular file has a size that says how much there is to read; a pipe or a device
    // changes its times with every byte that passes.
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return snapshot;
    snapshot.present = true;
    snapshot.size = st.st_size;
    snapshot.modified_s = st.st_mtim.tv_sec;
    snapshot.modified_ns = st.st_mtim.tv_nsec;
    return snapshot;
}

bool SourceSnapshot::ChangedBy(const SourceSnapshot &now) const
{
    if (!present)
        return false;
    if (!now.present || now.size < size)
        return true;
    return now.size == size && (now.modified_s != modified_s || now.modified_ns != modified_ns);
}

} // namespace quillet
