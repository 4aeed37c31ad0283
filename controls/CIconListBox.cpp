// SPDX-License-Identifier: GPL-3.0-or-later
#include "CIconListBox.h"

#include "IconListDelegate.h"

#include <QMouseEvent>

namespace quillet {

CIconListBox::CIconListBox(QWidget *parent)
    : QListWidget(parent)
{
    setItemDelegate(new IconListDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMouseTracking(true);
    // Rows wrap their text to the list's width, so their heights change with it.
    setUniformItemSizes(false);
    setResizeMode(QListView::Adjust);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void CIconListBox::SetImageList(const ImageList &images)
{
    m_images = images;
    doItemsLayout();
    viewport()->update();
}

void CIconListBox::SetHighlightStyle(int style, bool redraw)
{
    if (style < WholeRow || style > TextOnly)
        return;
    m_highlight_style = style;
    if (redraw)
        viewport()->update();
}

int CIconListBox::AddRow(const QString &text, int image)
{
    auto *row = new QListWidgetItem(text);
    row->setData(RecordRole, true);
    row->setData(DataRole, QVariant::fromValue<quintptr>(0));
    row->setData(ImageRole, image);
    row->setData(FormatRole, 0);
    row->setData(FlagsRole, 0);
    addItem(row);
    return count() - 1;
}

QListWidgetItem *CIconListBox::WithRecord(int row)
{
    QListWidgetItem *entry = item(row);
    if (entry && !entry->data(RecordRole).toBool()) {
        entry->setData(RecordRole, true);
        entry->setData(DataRole, QVariant::fromValue<quintptr>(0));
        entry->setData(ImageRole, -1);
        entry->setData(FormatRole, 0);
        entry->setData(FlagsRole, 0);
    }
    return entry;
}

bool CIconListBox::SetRowData(int row, void *data)
{
    QListWidgetItem *entry = WithRecord(row);
    if (!entry)
        return false;
    entry->setData(DataRole, QVariant::fromValue(data));
    return true;
}

void *CIconListBox::GetRowData(int row) const
{
    const QListWidgetItem *entry = item(row);
    if (!entry || !entry->data(RecordRole).toBool())
        return kNoRowData;
    return entry->data(DataRole).value<void *>();
}

bool CIconListBox::DeleteRow(int row)
{
    if (row < 0 || row >= count())
        return false;
    return model()->removeRow(row);
}

bool CIconListBox::IsRowEnabled(int row) const
{
    const QListWidgetItem *entry = item(row);
    if (!entry || !entry->data(RecordRole).toBool())
        return true;
    return (entry->data(FlagsRole).toInt() & kRowDisabled) == 0;
}

void CIconListBox::SetRowEnabled(int row, bool enabled)
{
    QListWidgetItem *entry = WithRecord(row);
    if (!entry)
        return;
    const int flags = entry->data(FlagsRole).toInt();
    entry->setData(FlagsRole, enabled ? flags & ~kRowDisabled : flags | kRowDisabled);
}

int CIconListBox::RowImage(int row) const
{
    const QListWidgetItem *entry = item(row);
    if (!entry || !entry->data(RecordRole).toBool())
        return -1;
    return entry->data(ImageRole).toInt();
}

void CIconListBox::mouseMoveEvent(QMouseEvent *event)
{
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    const int row = indexAt(event->position().toPoint()).row();
    if (row >= 0 && row != currentRow()) {
        setCurrentRow(row);
        if (m_pane_id == 0)
            emit PaneHovered(m_pane_id);
    }
    QListWidget::mouseMoveEvent(event);
}

void CIconListBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && currentRow() >= 0) {
        // The owner decides what a press means (open a group, commit a profile).
        event->accept();
        emit PaneClicked(m_pane_id);
        return;
    }
    QListWidget::mousePressEvent(event);
}

void CIconListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Handled here rather than by the base class: it would replay the swallowed press first.
    event->accept();
    const int row = indexAt(event->position().toPoint()).row();
    if (row >= 0 && IsRowEnabled(row))
        emit RowDoubleClicked(row);
}

} // namespace quillet
