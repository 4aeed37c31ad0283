// SPDX-License-Identifier: GPL-3.0-or-later
#include "NameOnlyIconProvider.h"

#include <QFileInfo>
#include <QMimeDatabase>

namespace quillet {

NameOnlyIconProvider *NameOnlyIconProvider::Shared()
{
    static NameOnlyIconProvider shared;
    return &shared;
}

QIcon NameOnlyIconProvider::icon(const QFileInfo &info) const
{
    if (info.isRoot())
        return icon(Drive);
    if (info.isDir())
        return icon(Folder);
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    const QIcon themed = QIcon::fromTheme(type.iconName());
    return themed.isNull() ? icon(File) : themed;
}

QString NameOnlyIconProvider::type(const QFileInfo &info) const
{
    return QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension).comment();
}

} // namespace quillet
