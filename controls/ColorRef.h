// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

namespace quillet {

/// A colour written the way settings and layouts give it: 0x00BBGGRR (red in the low byte).
/// Converting here keeps that byte order out of every caller.
inline QColor ColorFromRef(quint32 ref)
{
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

/// The 0x00BBGGRR value of a colour; alpha is dropped.
inline quint32 RefFromColor(const QColor &color)
{
    return quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16);
}

} // namespace quillet
