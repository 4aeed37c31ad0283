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
    explicit ImageList(const QSize &icon_size);

    /// A list of the numbered icons at the given size (16 or 32), in the order given.
    static ImageList FromIcons(const QList<int> &ids, int size);

    /// Appends an icon; returns its index.
    int Add(const QIcon &icon);
    int Count() const { return int(m_icons.size()); }
    QSize IconSize() const { return m_icon_size; }
    /// True for the "no image list" value.
    bool IsNull() const { return m_icon_size.isEmpty(); }
    QIcon Icon(int index) const;

    /// Draws icon index with its top-left corner at topLeft, greyed when asked; an index
    /// outside the list draws nothing.
    void Draw(QPainter &painter, int index, const QPoint &top_left, bool greyed) const;

private:
    QSize m_icon_size;
    QList<QIcon> m_icons;
};

} // namespace quillet
