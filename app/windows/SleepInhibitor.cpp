// SPDX-License-Identifier: GPL-3.0-or-later
#include "SleepInhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace quillet {

namespace {

constexpr const char *kLogindService = "org.freedesktop.login1";
constexpr const char *kLogindPath = "/org/freedesktop/login1";
constexpr const char *kLogindManager = "org.freedesktop.login1.Manager";
// What is held off: suspend and the idle action (screen lock, blanking that ends in suspend).
constexpr const char *kWhat = "sleep:idle";
constexpr const char *kMode = "block";
constexpr int kCallTimeoutMs = 5000;

} // namespace

SleepInhibitor::SleepInhibitor(QDBusConnection bus)
    : m_bus(std::move(bus))
{ }

SleepInhibitor::~SleepInhibitor() = default;

QString SleepInhibitor::Why(int file_count)
{
    return file_count == 1 ? QStringLiteral("quillet is converting 1 file")
                           : QStringLiteral("quillet is converting %1 files").arg(file_count);
}

void SleepInhibitor::Take(int file_count)
{
    if (m_wanted)
        return;
    m_wanted = true;
    if (!m_bus.isConnected())
        return;
    QDBusMessage call
        = QDBusMessage::createMethodCall(QLatin1String(kLogindService), QLatin1String(kLogindPath),
                                         QLatin1String(kLogindManager), QStringLiteral("Inhibit"));
    call << QLatin1String(kWhat) << QLatin1String(kWho) << Why(file_count) << QLatin1String(kMode);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallTimeoutMs), &m_replies);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &m_replies,
                     [this](QDBusPendingCallWatcher *finished) {
                         const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *finished;
                         finished->deleteLater();
                         // An error (no logind, refused) leaves the session as it is. A lock
                         // that comes after the batch ended goes out of scope here, closed.
                         if (reply.isError() || !m_wanted)
                             return;
                         m_lock = reply.value();
                     });
}

void SleepInhibitor::Release()
{
    m_wanted = false;
    // The descriptor is shared between copies; the last one closes it.
    m_lock = QDBusUnixFileDescriptor();
}

} // namespace quillet
