// SPDX-License-Identifier: GPL-3.0-or-later
#include "LinkOpener.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace quillet {

namespace {

bool IsAddress(const QString &target)
{
    // Anything with a scheme goes to the desktop as it is; a bare text is a path.
    return target.contains(QStringLiteral("://")) || target.startsWith(QStringLiteral("mailto:"))
        || target.startsWith(QStringLiteral("file:"));
}

bool IsWebAddress(const QUrl &url)
{
    return url.scheme() == QStringLiteral("http") || url.scheme() == QStringLiteral("https");
}

// Why a local path cannot be opened, or 0 when it can be tried.
int LocalFailure(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QFileInfo(info.absolutePath()).isDir() ? kLinkFileNotFound : kLinkPathNotFound;
    if (!info.isReadable())
        return kLinkAccessDenied;
    return 0;
}

bool StartBrowserFromEnvironment(const QString &address)
{
    // BROWSER holds a list of commands separated by colons; %s stands for the address, and
    // without it the address is appended.
    const QString browsers = qEnvironmentVariable("BROWSER");
    for (const QString &entry : browsers.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        QStringList command = QProcess::splitCommand(entry);
        if (command.isEmpty())
            continue;
        bool substituted = false;
        for (QString &argument : command) {
            if (argument.contains(QStringLiteral("%s"))) {
                argument.replace(QStringLiteral("%s"), address);
                substituted = true;
            }
        }
        if (!substituted)
            command.append(address);
        const QString program = command.takeFirst();
        if (QProcess::startDetached(program, command))
            return true;
    }
    return false;
}

} // namespace

int OpenLinkTarget(const QString &target)
{
    if (target.isEmpty())
        return kLinkFileNotFound;
    QUrl url;
    if (IsAddress(target)) {
        url = QUrl(target);
        if (url.isLocalFile()) {
            if (const int failure = LocalFailure(url.toLocalFile()))
                return failure;
        }
    } else {
        if (const int failure = LocalFailure(target))
            return failure;
        url = QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    }

    if (QDesktopServices::openUrl(url))
        return kLinkSucceeded;
    if (IsWebAddress(url) && StartBrowserFromEnvironment(url.toString()))
        return kLinkSucceeded;
    const QString argument = url.isLocalFile() ? url.toLocalFile() : url.toString();
    if (QProcess::startDetached(QStringLiteral("xdg-open"), {argument}))
        return kLinkSucceeded;
    return kLinkNoAssociation;
}

QString LinkErrorText(int code)
{
    switch (code) {
    case kLinkOutOfResources:
        return QStringLiteral("The operating system is out\nof memory or resources.");
    case kLinkFileNotFound:
        return QStringLiteral("The specified file was not found.");
    case kLinkPathNotFound:
        return QStringLiteral("The specified path was not found.");
    case kLinkAccessDenied:
        return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26:
        return QStringLiteral("A sharing violation occurred. ");
    case 27:
        return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28:
        return QStringLiteral(
            "The DDE transaction could not\nbe completed because the request timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral("The DDE transaction could not\nbe completed because other DDE "
                              "transactions\nwere being processed.");
    case kLinkNoAssociation:
        return QStringLiteral(
            "There is no application associated\nwith the given filename extension.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return QStringLiteral("Unknown Error (%1) occurred.").arg(code);
    }
}

QString LinkFailureMessage(int code)
{
    return QStringLiteral("Unable to open hyperlink:\n\n") + LinkErrorText(code);
}

} // namespace quillet
