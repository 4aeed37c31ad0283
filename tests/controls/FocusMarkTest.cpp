// SPDX-License-Identifier: GPL-3.0-or-later
// Someone who uses the keyboard sees which of the kit's controls has it.
#include "CSkinButton.h"
#include "CSkinTabCtrl.h"
#include "SkinImageSet.h"
#include "WidgetProbe.h"

#include <QApplication>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

namespace quillet {
namespace {

struct Case
{
    const char *name;
    std::function<QWidget *(QWidget *parent)> make;
};

QWidget *PictureButton(QWidget *parent)
{
    auto *button = new CSkinButton(parent);
    button->SetImages(kSettingsButtonSet);
    return button;
}

QWidget *TextButton(QWidget *parent)
{
    auto *button = new CSkinButton(QStringLiteral("Convert"), parent);
    button->resize(100, 30);
    button->SetImages(kDialogTextButtonSet);
    return button;
}

QWidget *SheetTabs(QWidget *parent)
{
    CSkinTabCtrl::SetTabStyleFlags(true, 15);
    auto *tabs = new CSkinTabCtrl(parent);
    CSkinTabCtrl::SetTabStyleFlags(false, 0);
    tabs->addTab(QStringLiteral("Audio"));
    tabs->addTab(QStringLiteral("Video"));
    tabs->resize(tabs->sizeHint());
    return tabs;
}

TEST(KeyboardFocusMark, everySkinControlLooksDifferentWithTheFocus)
{
    const Case cases[] = {{"picture button", PictureButton},
                          {"captioned button", TextButton},
                          {"owner-drawn tabs", SheetTabs}};
    for (const Case &c : cases) {
        QWidget window;
        QWidget *control = c.make(&window);
        auto *other = new CSkinButton(QStringLiteral("other"), &window);
        other->move(0, 100);
        window.resize(300, 200);
        window.show();
        QApplication::setActiveWindow(&window);
        other->setFocus(Qt::TabFocusReason);
        const QImage without = test::Grab(control);
        // By the Tab key: styles show focus marks once the keyboard has moved the focus.
        QTest::keyClick(other, Qt::Key_Tab);
        ASSERT_TRUE(control->hasFocus()) << c.name;
        EXPECT_NE(test::Grab(control), without) << c.name << " shows no focus mark";
    }
}

} // namespace
} // namespace quillet
