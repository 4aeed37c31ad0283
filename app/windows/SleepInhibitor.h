// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>

namespace quillet {

/**
 * Keeps the session from sleeping or idling away while a batch converts: logind's Inhibit
 * ("sleep:idle", mode "block") on the system bus. logind keeps the lock while any copy of the
 * file descriptor it hands back is open, so holding the descriptor is holding the lock and
 * closing it releases it.
 *
 * The call is made without waiting, so a slow or absent logind never stalls the window; a reply
 * that arrives after the batch has already ended is closed at once. Without a system bus or
 * without logind nothing happens, silently.
 */
class SleepInhibitor
{
public:
    /// Who the lock is registered for, as `systemd-inhibit --list` shows it.
    static constexpr const char *kWho = "quillet";

    /// bus: the system bus by default (which follows DBUS_SYSTEM_BUS_ADDRESS).
    explicit SleepInhibitor(QDBusConnection bus = QDBusConnection::systemBus());
    ~SleepInhibitor();
    SleepInhibitor(const SleepInhibitor &) = delete;
    SleepInhibitor &operator=(const SleepInhibitor &) = delete;

    /// Asks for the lock for a batch of file_count files. A lock already held is kept.
    void Take(int file_count);
    /// Gives the lock back (closes the descriptor); nothing when none is held or asked for.
    void Release();
    /// Whether the lock is held now (logind has answered and the batch is still running).
    bool Held() const { return m_lock.isValid(); }

    /// The reason logind records: a fixed English text, shown by system tools, not the window.
    static QString Why(int file_count);

private:
    QDBusConnection m_bus;
    QDBusUnixFileDescriptor m_lock;
    bool m_wanted = false;
    QObject m_replies; // owns the pending call; its reply is dropped with the inhibitor
};

} // namespace quillet
