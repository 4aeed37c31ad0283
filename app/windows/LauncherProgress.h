// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QString>

namespace quillet {

/**
 * The batch's progress on the program's taskbar or dock entry, where the desktop shows one:
 * the launcher-entry signal (com.canonical.Unity.LauncherEntry.Update) on the session bus, which
 * docks and panels listen for and match to the desktop entry by its application:// address.
 * A signal costs nothing when nobody listens; without a session bus nothing is sent.
 */
class LauncherProgress
{
public:
    /// The desktop entry the progress belongs to.
    static constexpr const char *kAppUri = "application://quillet.desktop";

    explicit LauncherProgress(QDBusConnection bus = QDBusConnection::sessionBus());

    /// Shows the progress bar at fraction (0 to 1). Repeats of the same whole percent are not
    /// sent again: the engine reports far more often than a taskbar can show.
    void Show(double fraction);
    /// Hides the progress bar (the batch has ended).
    void Hide();

private:
    void Send(double fraction, bool visible);

    QDBusConnection m_bus;
    int m_last_percent = -1; // -1: hidden
};

} // namespace quillet
