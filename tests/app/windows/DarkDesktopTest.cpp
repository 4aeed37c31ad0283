// SPDX-License-Identifier: GPL-3.0-or-later
// A desktop with a dark colour scheme: the program keeps its light skin, and every text in its
// windows, menus and message boxes stays readable on it.
#include "MessageBoxPrompter.h"
#include "SheetTestSupport.h"
#include "WindowHarness.h"
#include "profiles/sheet/CExPropertySheet.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

using namespace quillet;
using namespace quillet::test;

namespace {

/// A dark scheme as desktops hand it to Qt: light text on near-black.
QPalette DarkPalette()
{
    QPalette dark;
    const QColor back(0x2b, 0x2b, 0x2b);
    const QColor base(0x1e, 0x1e, 0x1e);
    const QColor text(0xee, 0xee, 0xee);
    dark.setColor(QPalette::Window, back);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, back);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, back);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::ToolTipBase, base);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::Highlight, QColor(0x3d, 0x6a, 0x9e));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    return dark;
}

double Luminance(const QColor &c)
{
    const auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

/// The contrast ratio of two colours (1 to 21); 3 is the least for text to be read.
double Contrast(const QColor &a, const QColor &b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

/// The colours each kind of widget draws its text and its background with.
std::pair<QPalette::ColorRole, QPalette::ColorRole> TextRoles(const QWidget *w)
{
    if (qobject_cast<const QLineEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w)
        || qobject_cast<const QAbstractItemView *>(w) || qobject_cast<const QAbstractSpinBox *>(w))
        return {QPalette::Text, QPalette::Base};
    return {QPalette::WindowText, QPalette::Window};
}

/// Every visible text-bearing widget of window whose text would be hard to read.
void CheckReadable(const QString &label, QWidget *window, QStringList &faults)
{
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *w : widgets) {
        const bool texty = qobject_cast<QLabel *>(w) || qobject_cast<QCheckBox *>(w)
            || qobject_cast<QRadioButton *>(w) || qobject_cast<QGroupBox *>(w)
            || qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w)
            || qobject_cast<QAbstractItemView *>(w) || qobject_cast<QMenu *>(w)
            || qobject_cast<QComboBox *>(w);
        if (!texty || !w->isVisible())
            continue;
        const auto [text, back] = TextRoles(w);
        const double ratio = Contrast(w->palette().color(text), w->palette().color(back));
        // The skin is light: a dark field inside it is the desktop's scheme leaking in.
        if (Luminance(w->palette().color(back)) < 0.4)
            faults << QStringLiteral("%1: %2 %3 is dark (%4) on the light skin")
                          .arg(label, QString::fromLatin1(w->metaObject()->className()),
                               w->objectName(), w->palette().color(back).name());
        if (ratio < 3.0)
            faults << QStringLiteral("%1: %2 %3 reads %4 on %5 (%6:1)")
                          .arg(label, QString::fromLatin1(w->metaObject()->className()),
                               w->objectName(), w->palette().color(text).name(),
                               w->palette().color(back).name())
                          .arg(ratio, 0, 'f', 1);
    }
    const QString folder = qEnvironmentVariable("QUILLET_SHOTS_DIR");
    if (!folder.isEmpty())
        window->grab().save(folder + QStringLiteral("/dark-") + label + QStringLiteral(".png"));
}

} // namespace

TEST(DarkDesktop, theLightSkinKeepsEveryTextOfItsWindowsMenusAndMessagesReadable)
{
    const QPalette before = QApplication::palette();
    QApplication::setPalette(DarkPalette());
    QStringList faults;
    for (const auto &[language, suffix] :
         {std::pair{"English", "en"}, {"Deutsch (German)", "de"}}) {
        HarnessOptions options;
        options.language = language;
        WindowHarness h(options);
        const QString tail = QLatin1Char('-') + QLatin1String(suffix);
        const auto label = [&tail](const char *what) { return QString::fromLatin1(what) + tail; };
        MainDialog &w = h.Start();
        AddCopies(h, {"first.mp4"}, GeneratedClip("clip.mp4"));
        CheckReadable(label("main"), &w, faults);

        w.OnAddButton();
        if (QMenu *menu = OpenPopupMenu()) {
            CheckReadable(label("menu"), menu, faults);
            menu->close();
        } else {
            ADD_FAILURE() << "the Add menu did not open";
        }

        UiScript box;
        box.Then<QMessageBox>([&](QMessageBox *message) {
            CheckReadable(label("message"), message, faults);
            message->accept();
        });
        MessageBoxPrompter(&w).Tell("No items were selected!");
        EXPECT_EQ(box.Pending(), 0u);

        w.SelectOnly(0);
        UiScript sheet;
        sheet.Then<CExPropertySheet>([&](CExPropertySheet *window) {
            CheckReadable(label("sheet"), window, faults);
            window->reject();
        });
        w.OnOptions();
        EXPECT_EQ(sheet.Pending(), 0u);
    }
    QApplication::setPalette(before);
    EXPECT_TRUE(faults.isEmpty()) << qPrintable(faults.join('\n'));
}
