// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchNotifier.h"

#include "DesktopActions.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace quillet {

namespace {

constexpr const char *kService = "org.freedesktop.Notifications";
constexpr const char *kPath = "/org/freedesktop/Notifications";
constexpr int kCallTimeoutMs = 5000;
// -1: the server's own expiry.
constexpr int kServerExpiry = -1;

} // namespace

BatchNotifier::BatchNotifier(DesktopActions &desktop, QDBusConnection bus)
    : m_desktop(&desktop)
    , m_bus(std::move(bus))
{
    if (!m_bus.isConnected())
        return;
    // QDBusConnection connects signals to slots by their normalised signatures only.
    m_bus.connect(QLatin1String(kService), QLatin1String(kPath), QLatin1String(kService),
                  QStringLiteral("ActionInvoked"), this,
                  SLOT(ActionInvoked(uint, QString))); // NOLINT
    m_bus.connect(QLatin1String(kService), QLatin1String(kPath), QLatin1String(kService),
                  QStringLiteral("NotificationClosed"), this,
                  SLOT(NotificationClosed(uint, uint))); // NOLINT
}

void BatchNotifier::Notify(const QString &summary, const QString &body, const QString &open_label,
                           const std::string &folder)
{
    if (!m_bus.isConnected())
        return;
    QDBusMessage call
        = QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kPath),
                                         QLatin1String(kService), QStringLiteral("Notify"));
    QVariantMap hints;
    // Lets the server show the program's name and icon and group its notifications.
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("quillet"));
    const QStringList actions{QLatin1String(kDefaultAction), open_label, QLatin1String(kOpenAction),
                              open_label};
    call << QStringLiteral("quillet") << uint(0) << QStringLiteral("quillet") << summary << body
         << actions << hints << kServerExpiry;
    // Asked without waiting: a slow server must not hold the window.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, folder](QDBusPendingCallWatcher *finished) {
                const QDBusPendingReply<uint> reply = *finished;
                finished->deleteLater();
                if (!reply.isError())
                    m_folders[reply.value()] = folder;
            });
}

void BatchNotifier::ActionInvoked(uint id, const QString &action)
{
    // The signal goes to every client of the server; only our own ids are ours to answer.
    const auto found = m_folders.find(id);
    if (found == m_folders.end())
        return;
    if (action == QLatin1String(kOpenAction) || action == QLatin1String(kDefaultAction))
        m_desktop->Open(found->second);
}

void BatchNotifier::NotificationClosed(uint id, uint)
{
    m_folders.erase(id);
}

} // namespace quillet
