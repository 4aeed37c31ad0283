// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractFileIconProvider>

namespace quillet {

/**
 * The file dialogs' icons and type names, told from a file's name and kind alone. Qt's own
 * provider reads a file's first bytes to tell its type, and in /proc or /sys a read can block
 * for good (/proc/kmsg waits for the kernel's next message), which hangs the dialog's listing
 * and then the window that closes it.
 */
class NameOnlyIconProvider : public QAbstractFileIconProvider
{
public:
    /// One for every dialog: a dialog does not own its provider, and its listing thread may
    /// still ask it while the dialog is destroyed.
    static NameOnlyIconProvider *Shared();

    using QAbstractFileIconProvider::icon;
    QIcon icon(const QFileInfo &info) const override;
    QString type(const QFileInfo &info) const override;
};

} // namespace quillet
