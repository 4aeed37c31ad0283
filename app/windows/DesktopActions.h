// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QObject>

#include <string>

namespace quillet {

/**
 * What the windows ask of the desktop: open a page, file or folder with its handler, start a
 * program of the program folder, and show a finished output in the file manager. Failures are
 * not reported by the commands: a page that does not open simply does not open (the banner
 * alone explains why).
 */
class DesktopActions
{
public:
    virtual ~DesktopActions() = default;
    /// A web address (or file: address) or a local file or folder, with the desktop's handler.
    /// @return above 32 when it was handed over, else the cause (LinkOpener.h's codes).
    virtual int Open(const std::string &target) = 0;
    /// Starts a program without waiting for it.
    virtual void StartProgram(const std::string &path) = 0;
    /// The file manager with path selected in its folder.
    virtual void ShowItem(const std::string &path) = 0;
};

/**
 * The desktop of the session: QDesktopServices (xdg-open) for opening, and the file manager's
 * org.freedesktop.FileManager1.ShowItems over D-Bus for showing an item, falling back to opening
 * its folder when no file manager answers.
 */
class SystemDesktop : public DesktopActions
{
public:
    /// bus carries the file manager call (the session bus by default).
    explicit SystemDesktop(QDBusConnection bus = QDBusConnection::sessionBus());

    int Open(const std::string &target) override;
    void StartProgram(const std::string &path) override;
    void ShowItem(const std::string &path) override;

private:
    QDBusConnection m_bus;
    QObject m_replies; // owns the pending file manager calls; they end with the desktop
};

} // namespace quillet
