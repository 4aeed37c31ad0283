// SPDX-License-Identifier: GPL-3.0-or-later
#include "CCustomSizeDlg.h"
#include "CMediaSizeList.h"
#include "CSkinButton.h"
#include "core/Prompter.h"
#include "texts/Texts.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace quillet;

namespace {

struct TellRecorder : Prompter
{
    std::vector<std::string> told;
    void Tell(std::string_view text, std::string_view, Icon) override { told.emplace_back(text); }
    bool Ask(std::string_view, std::string_view) override { return false; }
};

/// Runs each step on the custom size dialog once it is showing modally, in order.
void WhileDialogShows(std::vector<std::function<void(CCustomSizeDlg &)>> steps)
{
    auto remaining = std::make_shared<decltype(steps)>(std::move(steps));
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [remaining, poll] {
        auto *dialog = qobject_cast<CCustomSizeDlg *>(QApplication::activeModalWidget());
        if (dialog && !remaining->empty()) {
            auto step = remaining->front();
            remaining->erase(remaining->begin());
            step(*dialog);
        }
        if (!remaining->empty())
            QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

void Type(CCustomSizeDlg &dialog, const QString &text)
{
    dialog.SizeEdit()->selectAll();
    QTest::keyClicks(dialog.SizeEdit(), text);
}

struct Window
{
    QWidget window;
    CMediaSizeList *list = new CMediaSizeList(&window);
    TellRecorder prompter;
    BuiltInTexts texts;
    Window()
    {
        list->CreateCustomSizeDialog(prompter, texts);
        window.show();
    }
};

} // namespace

TEST(MediaSizeList, entriesAndChoiceFollowTheProfileFile)
{
    Window w;
    w.list->setEnabled(false);
    w.list->Fill("avchd_h264.ini");
    ASSERT_EQ(w.list->count(), 4);
    EXPECT_EQ(w.list->currentText(), "DVD-5 (4.7GB)");
    EXPECT_EQ(w.list->SelectedText(), "DVD-5 (4.7GB)");
    EXPECT_TRUE(w.list->isEnabled());

    w.list->Fill("ipadh264.ini");
    ASSERT_EQ(w.list->count(), 6);
    EXPECT_EQ(w.list->currentText(), "No split");
}

TEST(MediaSizeList, choosingCustomAsksForTheSizeAndReportsTheChoice)
{
    Window w;
    QSignalSpy changed(w.list, &CMediaSizeList::SplitChanged);
    WhileDialogShows({[](CCustomSizeDlg &d) {
        EXPECT_EQ(d.SizeEdit()->text(), "4000");
        Type(d, "700");
        QTest::mouseClick(d.OkButton(), Qt::LeftButton);
    }});
    // The arrow key moves from "No split" to "Custom" as a user choice.
    QTest::keyClick(w.list, Qt::Key_Up);

    EXPECT_EQ(w.list->SelectedText(), "Custom");
    EXPECT_EQ(w.list->CustomSizeMb(), 700);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(w.prompter.told.empty());
}

// 0 MB was taken (a limit no output can meet), and Cancel still switched the list to Custom.
TEST(MediaSizeList, refusedSizesKeepTheDialogOpenAndCancelKeepsTheOldChoice)
{
    Window w;
    QSignalSpy changed(w.list, &CMediaSizeList::SplitChanged);
    WhileDialogShows({[](CCustomSizeDlg &d) {
                          Type(d, "12x");
                          QTest::mouseClick(d.OkButton(), Qt::LeftButton);
                      },
                      [](CCustomSizeDlg &d) {
                          EXPECT_TRUE(d.isVisible());
                          Type(d, "0");
                          QTest::mouseClick(d.OkButton(), Qt::LeftButton);
                      },
                      [](CCustomSizeDlg &d) {
                          EXPECT_TRUE(d.isVisible());
                          QTest::mouseClick(d.CancelButton(), Qt::LeftButton);
                      }});
    QTest::keyClick(w.list, Qt::Key_Up);

    ASSERT_EQ(w.prompter.told.size(), 2u);
    EXPECT_EQ(w.prompter.told[0], "Please enter an integer.");
    EXPECT_EQ(w.prompter.told[1], "Please enter an integer between 1 and 100000.");
    EXPECT_EQ(w.list->CustomSizeMb(), 4000);
    EXPECT_EQ(w.list->SelectedText(), "No split");
    EXPECT_EQ(w.list->currentText(), "No split");
    EXPECT_EQ(changed.count(), 0);
}

TEST(MediaSizeList, withoutItsDialogCustomKeepsTheLastSize)
{
    Window w;
    w.list->DestroyCustomSizeDialog();
    EXPECT_EQ(w.list->CustomSizeDialog(), nullptr);
    QSignalSpy changed(w.list, &CMediaSizeList::SplitChanged);
    QTest::keyClick(w.list, Qt::Key_Up);
    EXPECT_EQ(w.list->SelectedText(), "Custom");
    EXPECT_EQ(w.list->CustomSizeMb(), 4000);
    EXPECT_EQ(changed.count(), 1);
}

TEST(CustomSizeDialog, noTextIsCutAndTheSizeFitsTheRange)
{
    TellRecorder prompter;
    BuiltInTexts texts;
    CCustomSizeDlg dialog(prompter, texts);
    dialog.show();
    const auto children = dialog.findChildren<QLabel *>();
    ASSERT_EQ(children.size(), 2);
    for (QLabel *label : children)
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    for (QWidget *w : dialog.findChildren<QWidget *>())
        EXPECT_TRUE(dialog.rect().contains(w->geometry())) << w->metaObject()->className();
}
