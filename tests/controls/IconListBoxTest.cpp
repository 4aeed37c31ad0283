// SPDX-License-Identifier: GPL-3.0-or-later
#include "CIconListBox.h"
#include "SkinResources.h"
#include "SystemColors.h"
#include "WidgetProbe.h"

#include <QApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace quillet {
namespace {

using test::Grab;
using test::SendMouse;

ImageList Icons(int size)
{
    const QList<int> ids(SkinResources::kProfileIconIds.begin(),
                         SkinResources::kProfileIconIds.end());
    return ImageList::FromIcons(ids, size);
}

// A pane of three short rows, shown so that positions and focus are real.
struct Pane
{
    explicit Pane(int id, int icon_size = 16)
    {
        list.resize(240, 200);
        list.SetImageList(Icons(icon_size));
        list.SetPaneId(id);
        list.AddRow(QStringLiteral("iPad"), 4);
        list.AddRow(QStringLiteral("iPhone"), 11);
        list.AddRow(QStringLiteral("iPod"), 12);
        list.show();
        QApplication::processEvents();
    }
    QPoint RowCentre(int row) const { return list.visualItemRect(list.item(row)).center(); }

    CIconListBox list;
};

TEST(IconListBox, rowsWithoutARecordReadAsEnabledAndWithoutData)
{
    CIconListBox list;
    EXPECT_EQ(list.AddRow(QStringLiteral("first"), 3), 0);
    list.addItem(QStringLiteral("plain")); // added around the record-keeping API
    EXPECT_EQ(list.GetRowData(0), nullptr);
    EXPECT_EQ(list.RowImage(0), 3);
    EXPECT_EQ(list.GetRowData(1), CIconListBox::kNoRowData);
    EXPECT_TRUE(list.IsRowEnabled(1));
    EXPECT_EQ(list.RowImage(1), -1);
    EXPECT_EQ(list.GetRowData(7), CIconListBox::kNoRowData);

    int payload = 0;
    EXPECT_TRUE(list.SetRowData(1, &payload));
    EXPECT_EQ(list.GetRowData(1), &payload);
    EXPECT_FALSE(list.SetRowData(7, &payload));

    list.SetRowEnabled(0, false);
    EXPECT_FALSE(list.IsRowEnabled(0));
    list.SetRowEnabled(0, true);
    EXPECT_TRUE(list.IsRowEnabled(0));

    EXPECT_TRUE(list.DeleteRow(0));
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.GetRowData(0), &payload) << "the next row moved up with its record";
    EXPECT_FALSE(list.DeleteRow(5));
}

TEST(IconListBox, theCurrentRowFollowsTheMouseAndTheGroupPaneReportsIt)
{
    Pane groups(0);
    QSignalSpy hovered(&groups.list, &CIconListBox::PaneHovered);
    SendMouse(groups.list.viewport(), QEvent::MouseMove, groups.RowCentre(1), Qt::NoButton);
    EXPECT_EQ(groups.list.currentRow(), 1);
    ASSERT_EQ(hovered.count(), 1);
    EXPECT_EQ(hovered.at(0).at(0).toInt(), 0);

    // Moving within the same row reports nothing new.
    SendMouse(groups.list.viewport(), QEvent::MouseMove, groups.RowCentre(1) + QPoint(5, 1),
              Qt::NoButton);
    EXPECT_EQ(hovered.count(), 1);
    SendMouse(groups.list.viewport(), QEvent::MouseMove, groups.RowCentre(2), Qt::NoButton);
    EXPECT_EQ(groups.list.currentRow(), 2);
    EXPECT_EQ(hovered.count(), 2);

    // The profile pane follows the mouse too but does not report hovering.
    Pane profiles(1, 32);
    QSignalSpy quiet(&profiles.list, &CIconListBox::PaneHovered);
    SendMouse(profiles.list.viewport(), QEvent::MouseMove, profiles.RowCentre(2), Qt::NoButton);
    EXPECT_EQ(profiles.list.currentRow(), 2);
    EXPECT_EQ(quiet.count(), 0);
}

TEST(IconListBox, aPressOnARowIsReportedInsteadOfHandled)
{
    Pane profiles(1, 32);
    QSignalSpy clicked(&profiles.list, &CIconListBox::PaneClicked);
    SendMouse(profiles.list.viewport(), QEvent::MouseMove, profiles.RowCentre(2), Qt::NoButton);
    SendMouse(profiles.list.viewport(), QEvent::MouseButtonPress, profiles.RowCentre(2),
              Qt::LeftButton, Qt::LeftButton);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 1);

    // Without a current row the list handles the press itself.
    CIconListBox empty;
    empty.resize(100, 100);
    QSignalSpy none(&empty, &CIconListBox::PaneClicked);
    SendMouse(empty.viewport(), QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton,
              Qt::LeftButton);
    EXPECT_EQ(none.count(), 0);
}

TEST(IconListBox, doubleClicksOnDisabledRowsAreSwallowed)
{
    Pane pane(1);
    pane.list.SetRowEnabled(1, false);
    QSignalSpy doubled(&pane.list, &CIconListBox::RowDoubleClicked);
    SendMouse(pane.list.viewport(), QEvent::MouseButtonDblClick, pane.RowCentre(1), Qt::LeftButton,
              Qt::LeftButton);
    EXPECT_EQ(doubled.count(), 0);
    SendMouse(pane.list.viewport(), QEvent::MouseButtonDblClick, pane.RowCentre(2), Qt::LeftButton,
              Qt::LeftButton);
    ASSERT_EQ(doubled.count(), 1);
    EXPECT_EQ(doubled.at(0).at(0).toInt(), 2);
}

TEST(IconListBox, rowsGrowToTheirWrappedTextAndTheIcon)
{
    CIconListBox list;
    list.resize(200, 300);
    list.SetImageList(Icons(32));
    list.AddRow(QStringLiteral("short"), 0);
    list.AddRow(QStringLiteral("a name long enough to need several lines at this width of the "
                               "list, even more than two"),
                1);
    list.show();
    QApplication::processEvents();
    const int short_row = list.visualItemRect(list.item(0)).height();
    const int long_row = list.visualItemRect(list.item(1)).height();
    EXPECT_EQ(short_row, 32 + 4 + 4);
    // Measured at the width the text is drawn in, right of the 38-pixel icon column.
    const int text_width = list.viewport()->width() - 38;
    const QRect wrapped = list.fontMetrics().boundingRect(QRect(0, 0, text_width, 10000),
                                                          Qt::TextWordWrap, list.item(1)->text());
    EXPECT_EQ(long_row, wrapped.height() + 4);
    EXPECT_GT(long_row, short_row);
}

TEST(IconListBox, highlightStylesColourTheirPartOfTheSelectedRow)
{
    Pane pane(1, 32);
    pane.list.setCurrentRow(0);
    const QColor highlight = system_color::Highlight(pane.list.palette());
    const QColor window = system_color::Window(pane.list.palette());
    const QRect row = pane.list.visualItemRect(pane.list.item(0));
    const QPoint icon_column = row.topLeft() + QPoint(1, row.height() - 2);
    const QPoint far_right = QPoint(row.right() - 2, row.center().y());

    const auto shot = [&pane] { return Grab(pane.list.viewport()); };
    pane.list.SetHighlightStyle(CIconListBox::WholeRow, true);
    QImage image = shot();
    EXPECT_EQ(image.pixelColor(icon_column), highlight);
    EXPECT_EQ(image.pixelColor(far_right), highlight);

    pane.list.SetHighlightStyle(CIconListBox::RightOfIcon, true);
    image = shot();
    EXPECT_EQ(image.pixelColor(icon_column), window);
    EXPECT_EQ(image.pixelColor(far_right), highlight);

    pane.list.SetHighlightStyle(CIconListBox::TextOnly, true);
    image = shot();
    EXPECT_EQ(image.pixelColor(far_right), window) << "beyond the text's own rectangle";

    pane.list.SetHighlightStyle(3, true);
    EXPECT_EQ(pane.list.HighlightStyle(), CIconListBox::TextOnly);

    // A disabled row is never highlighted.
    pane.list.SetHighlightStyle(CIconListBox::WholeRow, true);
    pane.list.SetRowEnabled(0, false);
    image = shot();
    EXPECT_EQ(image.pixelColor(far_right), window);
}

} // namespace
} // namespace quillet
