// SPDX-License-Identifier: GPL-3.0-or-later
#include "TaskListView.h"

#include "DialogLook.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace quillet {

namespace {

// The list's text is dark red on the dialog background.
const QColor kText(125, 0, 0);

struct Column
{
    int width;
    Qt::Alignment alignment;
};

constexpr Column kColumnLayout[TaskListView::kColumns] = {{150, Qt::AlignLeft},
                                                          {110, Qt::AlignRight},
                                                          {110, Qt::AlignRight},
                                                          {100, Qt::AlignHCenter},
                                                          {140, Qt::AlignLeft}};

} // namespace

TaskListView::TaskListView(QWidget *parent)
    : QTreeWidget(parent)
{
    setColumnCount(kColumns);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // File names differ at their ends ("(joined)", " (2)", the extension): a name too long for
    // its column loses its middle, as a file manager shows it.
    setTextElideMode(Qt::ElideMiddle);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    for (int c = 0; c < kColumns; ++c) {
        setColumnWidth(c, kColumnLayout[c].width);
        headerItem()->setTextAlignment(c, kColumnLayout[c].alignment | Qt::AlignVCenter);
    }

    QPalette colours = palette();
    for (auto role : {QPalette::Base, QPalette::AlternateBase, QPalette::Window})
        colours.setColor(role, DialogBackground());
    colours.setColor(QPalette::Text, kText);
    setPalette(colours);
    // The header keeps the desktop's own look.
    header()->setPalette(QPalette());
}

void TaskListView::SetOutcome(int row, Outcome outcome, const QString &tooltip)
{
    QTreeWidgetItem *item = topLevelItem(row);
    if (!item)
        return;
    // The desktop style's own signs, so they read as they do in its message boxes.
    QStyle::StandardPixmap sign = QStyle::SP_DialogApplyButton;
    switch (outcome) {
    case Outcome::None:
    case Outcome::Made:
        break;
    case Outcome::Failed:
        sign = QStyle::SP_MessageBoxCritical;
        break;
    case Outcome::PostProcessFailed:
        sign = QStyle::SP_MessageBoxWarning;
        break;
    case Outcome::Cancelled:
        sign = QStyle::SP_DialogCancelButton;
        break;
    }
    item->setData(0, Qt::UserRole, static_cast<int>(outcome));
    item->setIcon(kDestinationColumn,
                  outcome == Outcome::None ? QIcon() : style()->standardIcon(sign));
    for (int c = 0; c < kColumns; ++c)
        item->setToolTip(c, tooltip);
}

TaskListView::Outcome TaskListView::OutcomeOf(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? static_cast<Outcome>(item->data(0, Qt::UserRole).toInt()) : Outcome::None;
}

void TaskListView::ClearOutcomes()
{
    for (int row = 0; row < topLevelItemCount(); ++row)
        if (OutcomeOf(row) != Outcome::None)
            SetOutcome(row, Outcome::None, QString());
}

QColor TaskListView::BackgroundColor() const
{
    return viewport()->palette().color(QPalette::Base);
}

void TaskListView::SetEmptyPicture(const QPixmap &picture)
{
    m_picture = picture;
    viewport()->update();
}

void TaskListView::SetHeaders(const QStringList &headers)
{
    setHeaderLabels(headers);
    for (int c = 0; c < kColumns; ++c)
        setColumnWidth(c, std::max(kColumnLayout[c].width, header()->sectionSizeHint(c)));
}

std::vector<int> TaskListView::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TaskListView::SelectOnly(int row)
{
    QTreeWidgetItem *item = topLevelItem(row);
    if (!item) {
        clearSelection();
        return;
    }
    const QModelIndex index = indexFromItem(item);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollToItem(item);
}

void TaskListView::SelectRows(const std::vector<int> &rows)
{
    QItemSelection selection;
    QTreeWidgetItem *last = nullptr;
    for (int row : rows) {
        if (QTreeWidgetItem *item = topLevelItem(row)) {
            const QModelIndex index = indexFromItem(item);
            selection.select(index, index);
            last = item;
        }
    }
    // One change of the selection, so the window hears of the whole block once.
    selectionModel()->select(selection,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (last) {
        selectionModel()->setCurrentIndex(indexFromItem(last), QItemSelectionModel::NoUpdate);
        scrollToItem(last);
    }
}

void TaskListView::paintEvent(QPaintEvent *event)
{
    if (ShowsEmptyPicture()) {
        // Untiled, in the middle of the empty list.
        QPainter painter(viewport());
        const QSize size = m_picture.deviceIndependentSize().toSize();
        const QRect area = viewport()->rect();
        painter.drawPixmap(
            QPoint(area.center().x() - size.width() / 2, area.center().y() - size.height() / 2),
            m_picture);
    }
    QTreeWidget::paintEvent(event);
}

void TaskListView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && topLevelItemCount() == 0)
        emit EmptyListClicked(event->globalPosition().toPoint());
    QTreeWidget::mousePressEvent(event);
}

} // namespace quillet
