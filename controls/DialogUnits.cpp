// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogUnits.h"

#include <QFontMetrics>

namespace quillet {

namespace {

// a * b / c rounded half away from zero, as the platform's layout arithmetic rounds.
int MulDiv(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

} // namespace

DialogUnits::DialogUnits(const QFont &font)
{
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // Round the average of 52 letters to a whole pixel the way the platform does:
    // ((width / 26) + 1) / 2.
    m_base_x = (letters / 26 + 1) / 2;
    m_base_y = metrics.height();
}

int DialogUnits::X(int units) const
{
    return MulDiv(units, m_base_x, 4);
}

int DialogUnits::Y(int units) const
{
    return MulDiv(units, m_base_y, 8);
}

QRect DialogUnits::Rect(int left, int top, int width, int height) const
{
    return QRect(X(left), Y(top), X(width), Y(height));
}

QRect DialogUnits::Rect(const QRect &units) const
{
    return Rect(units.x(), units.y(), units.width(), units.height());
}

} // namespace quillet
