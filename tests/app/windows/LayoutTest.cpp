// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls in every shipped language: each caption whole, nothing outside the
// window, no two controls of a row on top of each other.
#include "CFileInfoDlg.h"
#include "CSkinButton.h"
#include "DialogUnits.h"
#include "TaskListView.h"
#include "WindowHarness.h"

#include <QCheckBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace quillet;
using namespace quillet::test;

namespace {

int TextWidth(const QWidget *widget, QString text)
{
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return widget->fontMetrics().horizontalAdvance(text);
}

void ExpectNothingCut(const QWidget &window, const std::string &language)
{
    const QRect inside = window.rect();
    QList<QWidget *> controls;
    for (QWidget *child : window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!child->isVisibleTo(&window) || child->isWindow()
            || QString(child->metaObject()->className()) == "QFrame")
            continue;
        controls << child;
        EXPECT_TRUE(inside.contains(child->geometry()))
            << language << ": " << child->metaObject()->className() << " leaves the window";
        if (auto *label = qobject_cast<QLabel *>(child); label && label->pixmap().isNull()) {
            EXPECT_GE(label->width(), TextWidth(label, label->text()))
                << language << ": label \"" << label->text().toStdString() << "\" is cut";
        }
        if (auto *box = qobject_cast<QCheckBox *>(child)) {
            EXPECT_GE(box->width(), box->sizeHint().width())
                << language << ": check box \"" << box->text().toStdString() << "\" is cut";
        }
        if (auto *button = qobject_cast<CSkinButton *>(child);
            button && !button->text().isEmpty()) {
            EXPECT_GE(button->width(), TextWidth(button, button->text()) + 4)
                << language << ": button \"" << button->text().toStdString() << "\" is cut";
        }
    }
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                << language << ": " << controls[i]->metaObject()->className() << " \""
                << controls[i]->property("text").toString().toStdString() << "\" overlaps "
                << controls[j]->metaObject()->className() << " \""
                << controls[j]->property("text").toString().toStdString() << "\"";
}

} // namespace

TEST(MainWindowLayout, everyCaptionFitsInEveryShippedLanguage)
{
    for (const char *language : {"English", "Deutsch (German)", "Français (French)"}) {
        HarnessOptions options;
        options.language = language;
        WindowHarness h(options);
        MainDialog &w = h.Start();
        ASSERT_EQ(h.languages.CurrentLanguageName(), language);
        ExpectNothingCut(w, language);
        for (int c = 0; c < TaskListView::kColumns; ++c)
            EXPECT_GE(w.ListView()->columnWidth(c), w.ListView()->header()->sectionSizeHint(c))
                << language << ": column " << c;
        // The cancel face must fit as well as the idle one.
        w.SetConverting(true);
        ExpectNothingCut(w, std::string(language) + " converting");
        w.SetConverting(false);
    }
}

TEST(MainWindowLayout, theWindowHasItsTemplateSizeInDialogUnits)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    const DialogUnits du(w.font());
    EXPECT_EQ(w.size(), QSize(du.X(379), du.Y(300)));
    EXPECT_EQ(w.ListView()->geometry(), du.Rect(7, 61, 365, 151));
    ASSERT_EQ(w.Frames().size(), 3);
    EXPECT_EQ(w.Frames()[1]->geometry(), du.Rect(7, 211, 365, 62));
    // Controls whose texts fit keep their template places.
    EXPECT_EQ(w.UpButton()->geometry(), du.Rect(306, 221, 32, 14));
    EXPECT_EQ(w.DownButton()->geometry(), du.Rect(339, 221, 32, 14));
    // The round buttons take their pictures' size.
    EXPECT_EQ(w.SettingsButton()->size(), QSize(32, 32));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
}

TEST(FileInfoLayout, labelsAreWholeInEveryShippedLanguage)
{
    for (const char *language : {"English", "Deutsch (German)", "Français (French)"}) {
        HarnessOptions options;
        options.language = language;
        WindowHarness h(options);
        h.Create();
        Task task;
        task.source_path = "/media/a rather long name for a holiday film.mp4";
        CFileInfoDlg dialog(task, h.languages);
        dialog.show();
        ExpectNothingCut(dialog, language);
    }
}
