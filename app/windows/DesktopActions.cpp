// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopActions.h"

#include "LinkOpener.h"
#include "platform/Paths.h"
#include "platform/Process.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFileInfo>
#include <QUrl>

namespace quillet {

namespace {

constexpr const char *kFileManagerService = "org.freedesktop.FileManager1";
constexpr const char *kFileManagerPath = "/org/freedesktop/FileManager1";
constexpr int kFileManagerTimeoutMs = 5000;

} // namespace

SystemDesktop::SystemDesktop(QDBusConnection bus)
    : m_bus(std::move(bus))
{ }

int SystemDesktop::Open(const std::string &target)
{
    return OpenLinkTarget(QString::fromStdString(target));
}

void SystemDesktop::StartProgram(const std::string &path)
{
    const QFileInfo program(QString::fromStdString(path));
    if (program.isFile() && program.isExecutable())
        platform::StartDetached({path});
}

void SystemDesktop::ShowItem(const std::string &path)
{
    const std::string folder(platform::FolderOf(path));
    if (!m_bus.isConnected()) {
        Open(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(kFileManagerService), QLatin1String(kFileManagerPath),
        QLatin1String(kFileManagerService), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(QString::fromStdString(path))
                            .toString(QUrl::FullyEncoded)}
         << QString();
    // Asked without waiting: the window stays responsive, and the folder opens instead when no
    // file manager takes the call.
    auto *watcher
        = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kFileManagerTimeoutMs), &m_replies);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &m_replies,
                     [this, folder](QDBusPendingCallWatcher *finished) {
                         if (finished->isError())
                             Open(folder);
                         finished->deleteLater();
                     });
}

} // namespace quillet
