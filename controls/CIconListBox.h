// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ImageList.h"

#include <QListWidget>

#include <cstdint>

namespace quillet {

/// A list whose rows carry an icon from an image list, wrap their text, can be disabled one by
/// one and follow the mouse: the row under the pointer becomes the current row. A press on a
/// row is reported to the owner (paneClicked) instead of selecting, so two lists side by side
/// can act as the two panes of one picker.
///
/// Rows added with AddRow carry a record (user data, image index, flags); rows added through
/// QListWidget directly have none and count as enabled rows without an icon.
class CIconListBox : public QListWidget
{
    Q_OBJECT

public:
    /// GetRowData's answer for a row without a record (or no such row): an address that no
    /// row's data can have.
    inline static char s_no_row_data = 0;
    static constexpr void *kNoRowData = &s_no_row_data;
    /// Item flag: the row is disabled.
    static constexpr int kRowDisabled = 0x1;

    /// Item data roles holding a row's record.
    enum Role {
        RecordRole = Qt::UserRole + 0x100, ///< bool: the row has a record
        DataRole, ///< void *: user data
        ImageRole, ///< int: image index, -1 for none
        FormatRole, ///< int: extra text flags (Qt::TextFlag)
        FlagsRole, ///< int: item flags (kRowDisabled)
    };

    /// Which part of a selected row is highlighted.
    enum HighlightStyle { WholeRow = 0, RightOfIcon = 1, TextOnly = 2 };

    explicit CIconListBox(QWidget *parent = nullptr);

    /// Icons for the rows; ImageList() for none. Rows are measured again.
    void SetImageList(const ImageList &images);
    const ImageList &Images() const { return m_images; }

    /// A style above 2 is ignored.
    void SetHighlightStyle(int style, bool redraw);
    int HighlightStyle() const { return m_highlight_style; }

    /// Identifier reported with paneHovered and paneClicked.
    void SetPaneId(int id) { m_pane_id = id; }
    int PaneId() const { return m_pane_id; }

    /// Appends a row with a record holding the image index; returns the row.
    int AddRow(const QString &text, int image);
    /// Stores user data for a row, giving it a record if it has none; false for no such row.
    bool SetRowData(int row, void *data);
    /// The row's user data, or kNoRowData for a row without a record.
    void *GetRowData(int row) const;
    /// Removes a row and its record; false for no such row.
    bool DeleteRow(int row);

    bool IsRowEnabled(int row) const;
    void SetRowEnabled(int row, bool enabled);
    /// Image index of a row, -1 when it has none.
    int RowImage(int row) const;

signals:
    /// The pointer moved to another row (only reported by pane 0, the group pane).
    void PaneHovered(int pane);
    /// The left button went down while a row was current.
    void PaneClicked(int pane);
    /// A double click on an enabled row.
    void RowDoubleClicked(int row);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QListWidgetItem *WithRecord(int row);

    ImageList m_images;
    int m_highlight_style = WholeRow;
    int m_pane_id = 0;
};

} // namespace quillet
