// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QList>
#include <QSize>

class QPainter;

namespace quillet {

/// Icons of one size reached by index, as list boxes and tab strips draw them. Cheap to copy:
/// the icons are shared.
class ImageList
{
public:
    /// An empty list standing for "no image list": icon size 0 x 0.
    ImageList() = default;
    explicit ImageList(const QSize &iconSize);

    /// A list of the numbered icons at the given size (16 or 32), in the order given.
    static ImageList FromIcons(const QList<int> &ids, int size);

    /// Appends an icon; returns its index.
    int add(const QIcon &icon);
    int count() const { return int(m_icons.size()); }
    QSize iconSize() const { return m_iconSize; }
    /// True for the "no image list" value.
    bool isNull() const { return m_iconSize.isEmpty(); }
    QIcon icon(int index) const;

    /// Draws icon index with its top-left corner at topLeft, greyed when asked; an index
    /// outside the list draws nothing.
    void draw(QPainter &painter, int index, const QPoint &topLeft, bool greyed) const;

private:
    QSize m_iconSize;
    QList<QIcon> m_icons;
};

} // namespace quillet
