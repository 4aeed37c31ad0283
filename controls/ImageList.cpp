// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImageList.h"

#include "SkinResources.h"

#include <QPainter>

namespace quillet {

ImageList::ImageList(const QSize &icon_size)
    : m_icon_size(icon_size)
{ }

ImageList ImageList::FromIcons(const QList<int> &ids, int size)
{
    ImageList list(QSize(size, size));
    for (const int id : ids)
        list.Add(SkinResources::Icon(id, size));
    return list;
}

int ImageList::Add(const QIcon &icon)
{
    m_icons.append(icon);
    return int(m_icons.size()) - 1;
}

QIcon ImageList::Icon(int index) const
{
    return index >= 0 && index < Count() ? m_icons.at(index) : QIcon();
}

void ImageList::Draw(QPainter &painter, int index, const QPoint &top_left, bool greyed) const
{
    const QIcon picture = Icon(index);
    if (picture.isNull())
        return;
    picture.paint(&painter, QRect(top_left, m_icon_size), Qt::AlignCenter,
                  greyed ? QIcon::Disabled : QIcon::Normal);
}

} // namespace quillet
