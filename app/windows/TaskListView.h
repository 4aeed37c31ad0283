// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QTreeWidget>

namespace quillet {

/**
 * The main window's task list: one row per task in five columns (source, original and trimmed
 * length, estimated size, destination), several rows selectable, the dialog colours, and a
 * picture inviting the user to add files while it is empty. Clicks it cannot handle itself go to
 * the window: a click in the empty list and the right button.
 */
class TaskListView : public QTreeWidget
{
    Q_OBJECT

public:
    static constexpr int kColumns = 5;
    /// The destination column, where a row's outcome mark sits.
    static constexpr int kDestinationColumn = 4;

    /// What the last run made of a row's task.
    enum class Outcome { None, Made, Failed, PostProcessFailed, Cancelled };

    explicit TaskListView(QWidget *parent = nullptr);

    /// The picture shown while the list is empty (a null pixmap shows none).
    void SetEmptyPicture(const QPixmap &picture);
    bool ShowsEmptyPicture() const { return !m_picture.isNull() && topLevelItemCount() == 0; }
    QColor BackgroundColor() const;

    /// Sets the column headers; a column too narrow for its header grows to fit it.
    void SetHeaders(const QStringList &headers);

    /// Rows in ascending order of the selected items.
    std::vector<int> SelectedRows() const;
    /// Selects row alone and makes it current (-1: no selection).
    void SelectOnly(int row);
    /// Selects rows and nothing else, the last of them current.
    void SelectRows(const std::vector<int> &rows);

    /// Marks row with the outcome of the last run: a sign before its destination, and tooltip
    /// as the tooltip of the whole row.
    void SetOutcome(int row, Outcome outcome, const QString &tooltip);
    Outcome OutcomeOf(int row) const;
    /// Removes every row's mark and its tooltip (the cells' own tooltips are the caller's to
    /// set again).
    void ClearOutcomes();

signals:
    /// The left button went down in the list while it had no rows.
    void EmptyListClicked(const QPoint &global);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QPixmap m_picture;
};

} // namespace quillet
