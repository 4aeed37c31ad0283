// SPDX-License-Identifier: GPL-3.0-or-later
// Tab and Shift+Tab walk every control of a window once, in the order the eye reads them.
#include "SheetTestSupport.h"
#include "WindowHarness.h"
#include "profiles/sheet/CExPropertySheet.h"

#include <QApplication>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

using namespace quillet;
using namespace quillet::test;

namespace {

QString Describe(const QWidget *w)
{
    const QPoint at = w->mapTo(w->window(), QPoint(0, 0));
    return QStringLiteral("%1 %2 (%3,%4)")
        .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName())
        .arg(at.x())
        .arg(at.y());
}

/// One round of key from the focused control; the controls in the order they took the focus.
QList<QWidget *> Round(QWidget *window, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QList<QWidget *> seen;
    QWidget *start = QApplication::focusWidget();
    for (int i = 0; i < 80; ++i) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        QWidget *now = QApplication::focusWidget();
        if (!now || now == start || now->window() != window)
            break;
        seen << now;
    }
    seen.prepend(start);
    return seen;
}

/// Walks window forwards and back; faults for controls Tab never reaches, controls reached twice,
/// a backward round that is not the forward one reversed, and steps against the reading order
/// (up a row inside the same group of controls).
void CheckRounds(const QString &label, QWidget *window, QStringList &faults)
{
    ShowActive(window);
    QWidget *first = window->nextInFocusChain();
    while (first
           && !(first->focusPolicy() & Qt::TabFocus && first->isVisible() && first->isEnabled()))
        first = first->nextInFocusChain();
    ASSERT_NE(first, nullptr);
    first->setFocus(Qt::TabFocusReason);
    const QList<QWidget *> forward = Round(window, Qt::Key_Tab);
    QList<QWidget *> backward = Round(window, Qt::Key_Backtab, Qt::ShiftModifier);
    if (qEnvironmentVariableIntValue("QUILLET_TAB_DUMP") != 0) {
        for (const QWidget *w : forward)
            std::printf("%s: %s\n", qPrintable(label), qPrintable(Describe(w)));
    }
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled()
            && !forward.contains(w) && !w->focusProxy())
            faults << label + QStringLiteral(": Tab never reaches ") + Describe(w);
    }
    // On one row the eye reads from left to right.
    for (qsizetype i = 1; i < forward.size(); ++i) {
        const QRect a(forward[i - 1]->mapTo(window, QPoint(0, 0)), forward[i - 1]->size());
        const QRect b(forward[i]->mapTo(window, QPoint(0, 0)), forward[i]->size());
        const bool same_row
            = std::abs(a.center().y() - b.center().y()) * 2 < std::min(a.height(), b.height());
        if (same_row && b.left() < a.left())
            faults << label + QStringLiteral(": Tab goes back left from ")
                    + Describe(forward[i - 1]) + QStringLiteral(" to ") + Describe(forward[i]);
    }
    if (QSet<QWidget *>(forward.begin(), forward.end()).size() != forward.size())
        faults << label + QStringLiteral(": a control is reached twice in one round");
    // Backwards from the first control: the last one first, then the rest reversed.
    QList<QWidget *> expected(forward.rbegin(), forward.rend() - 1);
    expected.prepend(forward.front());
    if (backward != expected)
        faults << label + QStringLiteral(": Shift+Tab is not Tab reversed");
}

} // namespace

TEST(KeyboardTabOrder, everyControlOnceAndShiftTabTheReverse)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    AddCopies(h, {"first.mp4", "second.mp4"}, GeneratedClip("clip.mp4"));
    QStringList faults;
    CheckRounds(QStringLiteral("main window"), &w, faults);

    w.SelectOnly(0);
    UiScript sheet;
    sheet.Then<CExPropertySheet>([&](CExPropertySheet *window) {
        for (int page = 0; page < CExPropertySheet::kPageCount; ++page) {
            window->SetActivePage(page);
            CheckRounds(QStringLiteral("sheet page %1").arg(page), window, faults);
        }
        window->reject();
    });
    w.OnOptions();
    EXPECT_EQ(sheet.Pending(), 0u);
    EXPECT_TRUE(faults.isEmpty()) << qPrintable(faults.join('\n'));
}
