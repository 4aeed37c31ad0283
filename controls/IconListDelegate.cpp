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

QColor Inverse(const QColor &color)
{
    return QColor(255 - color.red(), 255 - color.green(), 255 - color.blue());
}

} // namespace

IconListDelegate::IconListDelegate(CIconListBox *list)
    : QStyledItemDelegate(list)
    , m_list(list)
{ }

int IconListDelegate::IconColumnWidth() const
{
    const ImageList &images = m_list->Images();
    return images.IsNull() ? 0 : images.IconSize().width() + kIconColumnExtraWidth;
}

int IconListDelegate::TextFlags(const QModelIndex &index) const
{
    return Qt::AlignLeft | Qt::TextWordWrap | Qt::TextExpandTabs
        | index.data(CIconListBox::FormatRole).toInt();
}

QSize IconListDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    // The text is measured at the width it is drawn in (right of the icon column), so a
    // wrapped line is never cut off at the bottom of its row.
    const int width = m_list->viewport()->width();
    const int text_width = std::max(1, width - IconColumnWidth());
    const QRect bounds = m_list->fontMetrics().boundingRect(
        QRect(0, 0, text_width, 1 << 20), TextFlags(index), index.data(Qt::DisplayRole).toString());
    int height = bounds.height();
    const ImageList &images = m_list->Images();
    if (!images.IsNull())
        height = std::max(height, images.IconSize().height() + kIconExtraHeight);
    return QSize(width, height + kRowPadding);
}

void IconListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    const QPalette &pal = m_list->palette();
    const QColor window = system_color::Window(pal);
    const QColor highlight = system_color::Highlight(pal);
    const QColor window_text = system_color::WindowText(pal);
    const int row = index.row();
    const bool disabled = !(option.state & QStyle::State_Enabled) || !m_list->IsRowEnabled(row);
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const int style = m_list->HighlightStyle();
    const ImageList &images = m_list->Images();
    const QRect row_rect = option.rect;

    // The icon column runs the full height of the row so a highlighted row has no notch
    // under its icon.
    const QRect icon_column(row_rect.left(), row_rect.top(), IconColumnWidth(), row_rect.height());
    const QRect right_of_icon(icon_column.right() + 1, row_rect.top(),
                              row_rect.right() - icon_column.right(), row_rect.height());

    const QString text = index.data(Qt::DisplayRole).toString();
    const int flags = TextFlags(index);
    const QRect bounds = m_list->fontMetrics().boundingRect(
        QRect(right_of_icon.left(), 0, std::max(1, right_of_icon.width()), 1 << 20), flags, text);
    const int text_top = row_rect.top() + (row_rect.height() - bounds.height()) / 2;
    const QRect text_rect(right_of_icon.left(), text_top, bounds.width(), bounds.height());

    if (!images.IsNull()) {
        const bool fill_highlight = selected && !disabled && style == CIconListBox::WholeRow;
        painter->fillRect(icon_column, fill_highlight ? highlight : window);
    }

    QColor text_color = window_text;
    QColor background = window;
    if (disabled) {
        text_color = system_color::GrayText(pal);
    } else if (selected) {
        text_color = Inverse(window_text);
        background = highlight;
    }
    painter->fillRect(style == CIconListBox::TextOnly ? text_rect : right_of_icon, background);

    if (!images.IsNull())
        images.Draw(*painter, m_list->RowImage(row), row_rect.topLeft() + kIconOffset, disabled);

    painter->setPen(text_color);
    painter->setFont(m_list->font());
    painter->drawText(QRect(right_of_icon.left(), text_top, right_of_icon.width(), bounds.height()),
                      flags, text);

    if ((option.state & QStyle::State_HasFocus) && !disabled) {
        QStyleOptionFocusRect focus;
        focus.initFrom(m_list);
        focus.rect = style == CIconListBox::WholeRow ? row_rect
            : style == CIconListBox::RightOfIcon     ? right_of_icon
                                                     : text_rect;
        focus.backgroundColor = background;
        m_list->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, m_list);
    }
}

} // namespace quillet
