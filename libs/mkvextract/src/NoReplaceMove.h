// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace mkvextract {

/// A rename that must not replace its target: renameat2 with RENAME_NOREPLACE, in the
/// library; tests pass one that refuses the flag, as some file systems do.
using NoReplaceRename = int (*)(const char *from, const char *to);

/// renameat2(from, to, RENAME_NOREPLACE) in the current folder's terms.
int RenameNoReplace(const char *from, const char *to);

/**
 * Gives the file at from the name to, in the same file system, unless a file or folder of that
 * name exists: the name is claimed atomically, so of two processes that want it only one gets
 * it, and an existing file is never replaced. Where the file system refuses to rename without
 * replacing, a hard link claims the name just as atomically and the old name is removed.
 * @return 0, EEXIST when the name is taken, or another errno value
 */
int MoveWithoutReplacing(const std::string &from, const std::string &to,
                         NoReplaceRename rename = &RenameNoReplace);

} // namespace mkvextract
