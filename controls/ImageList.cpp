// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImageList.h"

#include "SkinResources.h"

#include <QPainter>

namespace quillet {

ImageList::ImageList(const QSize &iconSize)
    : m_iconSize(iconSize)
{ }

ImageList ImageList::FromIcons(const QList<int> &ids, int size)
{
    ImageList list(QSize(size, size));
    for (const int id : ids)
        list.add(SkinResources::icon(id, size));
    return list;
}

int ImageList::add(const QIcon &icon)
{
    m_icons.append(icon);
    return int(m_icons.size()) - 1;
}

QIcon ImageList::icon(int index) const
{
    return index >= 0 && index < count() ? m_icons.at(index) : QIcon();
}

void ImageList::draw(QPainter &painter, int index, const QPoint &topLeft, bool greyed) const
{
    const QIcon picture = icon(index);
    if (picture.isNull())
        return;
    picture.paint(&painter, QRect(topLeft, m_iconSize), Qt::AlignCenter,
                  greyed ? QIcon::Disabled : QIcon::Normal);
}

} // namespace quillet
