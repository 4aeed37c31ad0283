// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc/subtitles/NameFilters.h"

namespace quillet {

QStringList QtNameFilters(std::string_view classic_filter)
{
    const QStringList parts
        = QString::fromUtf8(classic_filter.data(), qsizetype(classic_filter.size()))
              .split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
        QStringList patterns;
        for (const QString &pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString trimmed = pattern.trimmed();
            patterns << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
        }
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' '))
                + QLatin1Char(')');
    }
    return filters;
}

} // namespace quillet
