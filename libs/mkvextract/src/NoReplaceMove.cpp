// SPDX-License-Identifier: GPL-3.0-or-later
#include "NoReplaceMove.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

namespace mkvextract {

int RenameNoReplace(const char *from, const char *to)
{
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

int MoveWithoutReplacing(const std::string &from, const std::string &to, NoReplaceRename rename)
{
    if (rename(from.c_str(), to.c_str()) == 0)
        return 0;
    const int error = errno;
    // Older NFS, some FUSE and network file systems know no RENAME_NOREPLACE.
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP)
        return error;
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    // The name is ours now; the working name goes. Should that fail, the file lies under both
    // names and the working folder's removal takes the extra one.
    ::unlink(from.c_str());
    return 0;
}

} // namespace mkvextract
