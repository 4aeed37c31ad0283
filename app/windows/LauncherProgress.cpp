// SPDX-License-Identifier: GPL-3.0-or-later
#include "LauncherProgress.h"

#include <QDBusMessage>
#include <QVariantMap>

#include <algorithm>
#include <cmath>

namespace quillet {

namespace {

// Listeners match the signal by interface and member; the path only has to be ours and stable.
constexpr const char *kPath = "/org/example/quillet/LauncherEntry";
constexpr const char *kInterface = "com.canonical.Unity.LauncherEntry";

} // namespace

LauncherProgress::LauncherProgress(QDBusConnection bus)
    : m_bus(std::move(bus))
{ }

void LauncherProgress::Show(double fraction)
{
    fraction = std::clamp(fraction, 0.0, 1.0);
    const int percent = static_cast<int>(std::floor(fraction * 100));
    if (percent == m_last_percent)
        return;
    m_last_percent = percent;
    Send(fraction, true);
}

void LauncherProgress::Hide()
{
    if (m_last_percent < 0)
        return;
    m_last_percent = -1;
    Send(0, false);
}

void LauncherProgress::Send(double fraction, bool visible)
{
    if (!m_bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(kPath), QLatin1String(kInterface), QStringLiteral("Update"));
    QVariantMap properties;
    properties.insert(QStringLiteral("progress"), fraction);
    properties.insert(QStringLiteral("progress-visible"), visible);
    signal << QLatin1String(kAppUri) << properties;
    m_bus.send(signal);
}

} // namespace quillet
