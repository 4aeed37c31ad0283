// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStyledItemDelegate>

namespace quillet {

class CIconListBox;

/// Measures and paints the rows of a CIconListBox: icon column, word-wrapped text centred
/// vertically, the list's highlight style and greyed disabled rows.
class IconListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit IconListDelegate(CIconListBox *list);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int IconColumnWidth() const;
    int TextFlags(const QModelIndex &index) const;

    CIconListBox *m_list;
};

} // namespace quillet
