// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QObject>

#include <map>
#include <string>

namespace quillet {

class DesktopActions;

/**
 * The desktop notification at the end of a batch the user is not watching: one
 * org.freedesktop.Notifications Notify call on the session bus, with an action that opens the
 * output folder through the window's desktop (DesktopActions::Open). The notification server
 * reports a chosen action with its ActionInvoked signal, matched here to the notification's id.
 * Without a session bus or a notification server nothing is shown, silently.
 */
class BatchNotifier : public QObject
{
    Q_OBJECT

public:
    /// The action's key; "default" is what a click on the notification itself sends.
    static constexpr const char *kOpenAction = "open-folder";
    static constexpr const char *kDefaultAction = "default";

    BatchNotifier(DesktopActions &desktop, QDBusConnection bus = QDBusConnection::sessionBus());

    /// Replaces the desktop that opens folders (the window's own or a test's).
    void SetDesktop(DesktopActions &desktop) { m_desktop = &desktop; }

    /// Shows summary and body, with an action labelled open_label that opens folder.
    void Notify(const QString &summary, const QString &body, const QString &open_label,
                const std::string &folder);

private slots:
    // Named by the notification server's signals, to which they are connected by signature.
    void ActionInvoked(uint id, const QString &action);
    void NotificationClosed(uint id, uint reason);

private:
    DesktopActions *m_desktop;
    QDBusConnection m_bus;
    std::map<uint, std::string> m_folders; // the output folder of every notification still shown
};

} // namespace quillet
