// SPDX-License-Identifier: GPL-3.0-or-later
#include "IconListDelegate.h"

#include "CIconListBox.h"
#include "SystemColors.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace quillet {

namespace {

constexpr int kIconColumnExtraWidth = 6;
constexpr int kIconExtraHeight = 4;
constexpr int kRowPadding = 4;
constexpr QPoint kIconOffset{3, 2};

QColor inverse(const QColor &color)
{
    return QColor(255 - color.red(), 255 - color.green(), 255 - color.blue());
}

} // namespace

IconListDelegate::IconListDelegate(CIconListBox *list)
    : QStyledItemDelegate(list)
    , m_list(list)
{ }

int IconListDelegate::iconColumnWidth() const
{
    const ImageList &images = m_list->imageList();
    return images.isNull() ? 0 : images.iconSize().width() + kIconColumnExtraWidth;
}

int IconListDelegate::textFlags(const QModelIndex &index) const
{
    return Qt::AlignLeft | Qt::TextWordWrap | Qt::TextExpandTabs
        | index.data(CIconListBox::FormatRole).toInt();
}

QSize IconListDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    // The text is measured at the width it is drawn in (right of the icon column), so a
    // wrapped line is never cut off at the bottom of its row.
    const int width = m_list->viewport()->width();
    const int textWidth = std::max(1, width - iconColumnWidth());
    const QRect bounds = m_list->fontMetrics().boundingRect(
        QRect(0, 0, textWidth, 1 << 20), textFlags(index), index.data(Qt::DisplayRole).toString());
    int height = bounds.height();
    const ImageList &images = m_list->imageList();
    if (!images.isNull())
        height = std::max(height, images.iconSize().height() + kIconExtraHeight);
    return QSize(width, height + kRowPadding);
}

void IconListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    const QPalette &pal = m_list->palette();
    const QColor window = SystemColor::Window(pal);
    const QColor highlight = SystemColor::Highlight(pal);
    const QColor windowText = SystemColor::WindowText(pal);
    const int row = index.row();
    const bool disabled = !(option.state & QStyle::State_Enabled) || !m_list->IsRowEnabled(row);
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const int style = m_list->highlightStyle();
    const ImageList &images = m_list->imageList();
    const QRect rowRect = option.rect;

    // The icon column runs the full height of the row so a highlighted row has no notch
    // under its icon.
    const QRect iconColumn(rowRect.left(), rowRect.top(), iconColumnWidth(), rowRect.height());
    const QRect rightOfIcon(iconColumn.right() + 1, rowRect.top(),
                            rowRect.right() - iconColumn.right(), rowRect.height());

    const QString text = index.data(Qt::DisplayRole).toString();
    const int flags = textFlags(index);
    const QRect bounds = m_list->fontMetrics().boundingRect(
        QRect(rightOfIcon.left(), 0, std::max(1, rightOfIcon.width()), 1 << 20), flags, text);
    const int textTop = rowRect.top() + (rowRect.height() - bounds.height()) / 2;
    const QRect textRect(rightOfIcon.left(), textTop, bounds.width(), bounds.height());

    if (!images.isNull()) {
        const bool fillHighlight = selected && !disabled && style == CIconListBox::WholeRow;
        painter->fillRect(iconColumn, fillHighlight ? highlight : window);
    }

    QColor textColor = windowText;
    QColor background = window;
    if (disabled) {
        textColor = SystemColor::GrayText(pal);
    } else if (selected) {
        textColor = inverse(windowText);
        background = highlight;
    }
    painter->fillRect(style == CIconListBox::TextOnly ? textRect : rightOfIcon, background);

    if (!images.isNull())
        images.draw(*painter, m_list->rowImage(row), rowRect.topLeft() + kIconOffset, disabled);

    painter->setPen(textColor);
    painter->setFont(m_list->font());
    painter->drawText(QRect(rightOfIcon.left(), textTop, rightOfIcon.width(), bounds.height()),
                      flags, text);

    if ((option.state & QStyle::State_HasFocus) && !disabled) {
        QStyleOptionFocusRect focus;
        focus.initFrom(m_list);
        focus.rect = style == CIconListBox::WholeRow ? rowRect
            : style == CIconListBox::RightOfIcon     ? rightOfIcon
                                                     : textRect;
        focus.backgroundColor = background;
        m_list->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, m_list);
    }
}

} // namespace quillet
