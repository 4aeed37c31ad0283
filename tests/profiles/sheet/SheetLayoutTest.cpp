// SPDX-License-Identifier: GPL-3.0-or-later
// Every page and the naming dialog in each shipped language: no text is cut and no control
// covers another. With QUILLET_SHOTS_DIR set, the windows are also saved as pictures there.
#include "profiles/sheet/CExPropertySheet.h"

#include "controls/CSkinButton.h"
#include "controls/CSkinTabCtrl.h"
#include "profiles/sheet/CNewProfileDlg.h"
#include "profiles/sheet/COptionPage.h"
#include "texts/LanguageTable.h"

#include "SheetTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include <gtest/gtest.h>

using namespace quillet;
using namespace quillet::test;

namespace {

struct Language
{
    const char *name; ///< as the language file names itself
    const char *tag; ///< for picture file names
};

const Language kLanguages[]
    = {{"English", "en"}, {"Deutsch (German)", "de"}, {"Français (French)", "fr"}};

QString Describe(const QWidget *w)
{
    QString text;
    if (auto *label = qobject_cast<const QLabel *>(w))
        text = label->text();
    else if (auto *button = qobject_cast<const QAbstractButton *>(w))
        text = button->text();
    else if (auto *group = qobject_cast<const QGroupBox *>(w))
        text = group->title();
    return QStringLiteral("%1 \"%2\" %3,%4 %5x%6")
        .arg(QLatin1String(w->metaObject()->className()), text)
        .arg(w->x())
        .arg(w->y())
        .arg(w->width())
        .arg(w->height());
}

/// Width a caption needs, without its shortcut marks.
int CaptionWidth(const QWidget *w, QString text)
{
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return w->fontMetrics().horizontalAdvance(text);
}

/// Every visible control of window shows its whole text.
void ExpectTextsFit(const QWidget *window)
{
    for (const QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window))
            continue;
        const QSize hint = w->sizeHint();
        if (qobject_cast<const QLabel *>(w) || qobject_cast<const QCheckBox *>(w)
            || qobject_cast<const QRadioButton *>(w)) {
            EXPECT_LE(hint.width(), w->width()) << Describe(w).toStdString();
            EXPECT_LE(w->fontMetrics().height(), w->height()) << Describe(w).toStdString();
        } else if (auto *button = qobject_cast<const QPushButton *>(w)) {
            EXPECT_LE(CaptionWidth(button, button->text()) + 8, w->width())
                << Describe(w).toStdString();
        } else if (auto *group = qobject_cast<const QGroupBox *>(w)) {
            EXPECT_LE(CaptionWidth(group, group->title()) + 16, w->width())
                << Describe(w).toStdString();
        } else if (qobject_cast<const QComboBox *>(w)) {
            EXPECT_LE(hint.width(), w->width()) << Describe(w).toStdString();
        } else if (auto *edit = qobject_cast<const QLineEdit *>(w)) {
            EXPECT_LE(w->fontMetrics().horizontalAdvance(edit->text()) + 8, w->width())
                << Describe(w).toStdString();
        }
    }
}

/// No two visible controls of page overlap; a control inside a group box lies wholly within
/// it, below its title.
void ExpectNoOverlap(const QWidget *page)
{
    QList<const QWidget *> groups;
    QList<const QWidget *> controls;
    for (const QObject *child : page->children()) {
        auto *w = qobject_cast<const QWidget *>(child);
        if (w == nullptr || !w->isVisibleTo(page))
            continue;
        (qobject_cast<const QGroupBox *>(w) ? groups : controls).append(w);
    }
    for (qsizetype i = 0; i < controls.size(); ++i) {
        EXPECT_TRUE(page->rect().contains(controls[i]->geometry()))
            << Describe(controls[i]).toStdString();
        for (qsizetype j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                << Describe(controls[i]).toStdString() << " / "
                << Describe(controls[j]).toStdString();
    }
    for (const QWidget *group : groups) {
        const int title = group->fontMetrics().height();
        const QRect inside = group->geometry().adjusted(1, title, -1, -1);
        for (const QWidget *control : controls) {
            if (control->geometry().intersects(group->geometry())) {
                EXPECT_TRUE(inside.contains(control->geometry()))
                    << Describe(control).toStdString() << " in " << Describe(group).toStdString();
            }
        }
        for (const QWidget *other : groups)
            EXPECT_TRUE(other == group || !other->geometry().intersects(group->geometry()));
    }
}

void SaveShot(QWidget *window, const QString &name)
{
    const QString folder = qEnvironmentVariable("QUILLET_SHOTS_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    EXPECT_TRUE(window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
}

class SheetLayout : public ::testing::TestWithParam<Language>
{
protected:
    void SetUp() override
    {
        m_languages.ScanLanguageFolder(SourceLanguageFolder().string() + "/");
        m_languages.SelectLanguage(GetParam().name);
        ASSERT_FALSE(m_languages.CurrentLanguageFile().empty()) << GetParam().name;
        m_record = LoadProfile(SourceIni("ipadh264.ini"), "iPad Video H.264 (1024x768)");
        m_record.bVideoEnablePad = 1;
        m_record.nVideoPadColor = 0x2050A0;
    }

    LanguageTable m_languages;
    ProfileRecord m_record;
    RecordingPrompter m_prompter;
};

} // namespace

TEST_P(SheetLayout, everyPageShowsItsWholeTexts)
{
    CExPropertySheet sheet(m_record, m_prompter, m_languages);
    ShowActive(&sheet);
    const char *const page_names[] = {"audio", "video", "resize", "croppad"};
    for (int page = 0; page < CExPropertySheet::kPageCount; ++page) {
        SCOPED_TRACE(page_names[page]);
        ASSERT_TRUE(sheet.SetActivePage(page));
        if (page == CExPropertySheet::kVideoPage)
            sheet.findChild<QCheckBox *>("advanced")->setChecked(true);
        QWidget *shown = sheet.findChild<QStackedWidget *>()->currentWidget();
        ExpectTextsFit(shown);
        ExpectNoOverlap(shown);
        SaveShot(&sheet,
                 QStringLiteral("sheet-%1-%2")
                     .arg(QLatin1String(GetParam().tag), QLatin1String(page_names[page])));
    }
    for (int tab = 0; tab < sheet.TabStrip()->count(); ++tab)
        EXPECT_EQ(sheet.TabStrip()->DisplayedText(tab), sheet.TabStrip()->tabText(tab));
    // The sheet's own buttons: whole captions, side by side, below the pages.
    const QList<QPushButton *> buttons
        = {sheet.OkButton(), sheet.CancelButton(), sheet.SaveButton(), sheet.DefaultButton()};
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        EXPECT_LE(buttons[i]->sizeHint().width(), buttons[i]->width());
        EXPECT_TRUE(sheet.rect().contains(buttons[i]->geometry()));
        if (i > 0) {
            EXPECT_GT(buttons[i]->x(), buttons[i - 1]->geometry().right());
        }
    }
}

TEST_P(SheetLayout, namingDialogShowsItsWholeTexts)
{
    CNewProfileDlg dialog(m_prompter, m_languages);
    dialog.SetName(QStringLiteral("New iPad Video H.264 (1024x768)"));
    ShowActive(&dialog);
    ExpectTextsFit(&dialog);
    ExpectNoOverlap(&dialog);
    EXPECT_EQ(dialog.Label()->palette().color(QPalette::WindowText), QColor(93, 121, 161));
    EXPECT_EQ(dialog.OkButton()->TextColor(), QColor(125, 0, 0));
    SaveShot(&dialog, QStringLiteral("newprofile-%1").arg(QLatin1String(GetParam().tag)));
}

INSTANTIATE_TEST_SUITE_P(Languages, SheetLayout, ::testing::ValuesIn(kLanguages),
                         [](const auto &info) { return std::string(info.param.tag); });
