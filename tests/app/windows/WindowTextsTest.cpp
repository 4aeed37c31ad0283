// SPDX-License-Identifier: GPL-3.0-or-later
// Every window of the program in English, German and French: each text a user can read changes
// with the language, unless it is a name, a number or a text the language file itself keeps.
#include "CCustomSizeDlg.h"
#include "CFileInfoDlg.h"
#include "CGradientProgress.h"
#include "CLinkLabel.h"
#include "CProfileComboBox.h"
#include "CProfileComboDlg.h"
#include "StyleDialog.h"
#include "StyleFile.h"
#include "TaskListView.h"
#include "WindowHarness.h"
#include "disc/subtitles/CAudioTrackDlg.h"
#include "disc/subtitles/CSubtitleDlg.h"
#include "disc/subtitles/CWaittingDlg.h"
#include "profiles/sheet/CExPropertySheet.h"
#include "profiles/sheet/CNewProfileDlg.h"
#include "profiles/sheet/OptionSheetRules.h"
#include "texts/LanguageKeys.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

using namespace quillet;
using namespace quillet::test;

namespace {

constexpr const char *kEnglish = "English";

/// The program in one language: its main window and the dialogs it opens, made as the program
/// makes them, over the language table of that language.
struct Program
{
    explicit Program(const std::string &language)
        : harness([&language] {
            HarnessOptions options;
            options.language = language;
            return options;
        }())
        , window(harness.Create())
    { }

    WindowHarness harness;
    MainDialog &window;
    ScriptedPrompter prompter;
    subtitles::StyleFile style_file{harness.MediaFolder() / "style.ini"};
    std::vector<std::unique_ptr<QWidget>> opened;

    /// Keeps a window made for the test until the program goes.
    template<typename T> T *Keep(std::unique_ptr<T> made)
    {
        T *window_made = made.get();
        opened.push_back(std::move(made));
        return window_made;
    }
};

/// Every text a user reads in a window, in the order of its widgets: titles, captions, labels,
/// group and tab titles, list headers, drop-down entries and tooltips. What the user typed or
/// chose (edits, file and track names, fonts) is left out.
QStringList ReadableTexts(QWidget *window)
{
    QStringList texts{window->windowTitle()};
    QList<QWidget *> widgets{window};
    widgets += window->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        texts << w->toolTip();
        if (auto *label = qobject_cast<QLabel *>(w))
            texts << label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            texts << button->text();
        else if (auto *group = qobject_cast<QGroupBox *>(w))
            texts << group->title();
        else if (auto *progress = qobject_cast<CGradientProgress *>(w))
            texts << progress->Caption();
        if (auto *list = qobject_cast<QComboBox *>(w); list && !qobject_cast<QFontComboBox *>(w))
            for (int i = 0; i < list->count(); ++i)
                texts << list->itemText(i);
        if (auto *tabs = qobject_cast<QTabBar *>(w))
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i);
        if (auto *tree = qobject_cast<QTreeWidget *>(w))
            for (int i = 0; i < tree->columnCount(); ++i)
                texts << tree->headerItem()->text(i);
        if (auto *menu = qobject_cast<QMenu *>(w))
            texts << MenuTexts(menu);
    }
    return texts;
}

/// One window of the walk: how the program opens it, and the texts it shows in every language
/// because they are names (of devices, codecs, sizes) or fixed English by design.
struct WalkedWindow
{
    const char *name;
    std::function<QWidget *(Program &)> open;
    QStringList names = {};
};

QStringList CodecNames()
{
    QStringList names;
    for (const auto &list : {std::span<const std::string_view>(sheet::kAudioCodecs),
                             std::span<const std::string_view>(sheet::kVideoCodecs)})
        for (std::string_view codec : list)
            names << QString::fromUtf8(codec.data(), qsizetype(codec.size()));
    return names;
}

const std::vector<WalkedWindow> &Windows()
{
    static const std::vector<WalkedWindow> kWindows = {
        {"main window", [](Program &p) { return &p.window; }, {"Brontwick Quillet"}},
        {"profile picker",
         [](Program &p) { return p.window.ProfilePicker()->Popup(); },
         // The pop-up's title is never shown: it names the window for the desktop only.
         {"iPad", "iPhone", "iPod", "Apple TV", "MY_COMBOBOX_DLG_8421"}},
        {"option sheet",
         [](Program &p) {
             return p.Keep(std::make_unique<CExPropertySheet>(p.window.State().current_profile,
                                                              p.prompter, p.harness.languages));
         },
         CodecNames()
             + QStringList{"sqcif", "qcif", "cif", "4cif", "SQCIF (128 x 96)", "QCIF (176 x 144)",
                           "CIF (352 x 288)", "4CIF (704 x 576)"}},
        {"naming dialog",
         [](Program &p) {
             return p.Keep(std::make_unique<CNewProfileDlg>(p.prompter, p.harness.languages));
         }},
        {"file information",
         [](Program &p) {
             static const Task kTask;
             return p.Keep(std::make_unique<CFileInfoDlg>(kTask, p.harness.languages));
         }},
        {"Subtitles",
         [](Program &p) {
             return p.Keep(std::make_unique<CSubtitleDlg>(
                 p.harness.languages, p.prompter, SubtitleStyleEditor(p.harness.ProgramFolder()),
                 p.harness.MediaFolder().string(), std::vector<std::string>{}));
         }},
        {"audio track",
         [](Program &p) {
             static std::vector<AudioTrack> tracks(1);
             return p.Keep(std::make_unique<CAudioTrackDlg>(p.harness.languages, tracks));
         }},
        // The wait window's texts are fixed English by design, and the Matroska library
        // replaces its line with its own.
        {"wait window",
         [](Program &p) { return CWaittingDlg::Show(&p.window); },
         {"Waitting", "Please waitting, maybe need a few minutes..."}},
        {"custom size",
         [](Program &p) {
             return p.Keep(std::make_unique<CCustomSizeDlg>(p.prompter, p.harness.languages));
         }},
        {"style dialog",
         [](Program &p) {
             const subtitles::StyleSettings defaults = subtitles::DefaultStyle("DejaVu Sans");
             return p.Keep(std::make_unique<subtitles::StyleDialog>(
                 p.harness.languages, p.style_file, defaults, defaults));
         }},
    };
    return kWindows;
}

/// The texts the language file of language keeps as they are in English ("OK", "Audio",
/// "Mono"): a window may show them unchanged.
std::set<QString> KeptEnglish(const LanguageTable &language)
{
    std::set<QString> kept;
    for (const LanguageKey &entry : AllLanguageKeys())
        if (LookupKey(language, entry) == entry.default_text)
            kept.insert(
                QString::fromUtf8(entry.default_text.data(), qsizetype(entry.default_text.size())));
    return kept;
}

/// The readable texts of a walked window as the program opens it in program.
QStringList TextsOf(const WalkedWindow &walked, Program &program)
{
    QWidget *window = walked.open(program);
    if (!window)
        return {};
    QStringList texts = ReadableTexts(window);
    // There is only ever one wait window: it goes before the next language opens its own.
    if (auto *waitting = qobject_cast<CWaittingDlg *>(window))
        waitting->Close();
    return texts;
}

/// A text with no word in it: numbers, sizes ("1280 x 768"), "..." and the like.
bool HasNoWord(const QString &text)
{
    static const QRegularExpression kWord(QStringLiteral("[[:alpha:]]{2,}"));
    return !kWord.match(text).hasMatch();
}

} // namespace

TEST(WindowTexts, everyWindowShowsEveryTextInTheChosenLanguage)
{
    for (const char *language : {"Deutsch (German)", "Français (French)"}) {
        SCOPED_TRACE(language);
        // Two programs of one age: the Add menu opens by itself a little after start.
        Program english(kEnglish);
        Program other(language);
        ASSERT_EQ(other.harness.languages.CurrentLanguageName(), language);
        const std::set<QString> kept = KeptEnglish(other.harness.languages);
        for (const WalkedWindow &walked : Windows()) {
            SCOPED_TRACE(walked.name);
            const QStringList english_texts = TextsOf(walked, english);
            const QStringList texts = TextsOf(walked, other);
            // The same window in two languages has the same widgets.
            ASSERT_FALSE(english_texts.isEmpty());
            ASSERT_EQ(texts.size(), english_texts.size());
            for (qsizetype i = 0; i < texts.size(); ++i) {
                QString shown = texts[i];
                shown.remove(QRegularExpression(QStringLiteral("&(?!&)")));
                if (texts[i] != english_texts[i] || HasNoWord(shown) || kept.count(texts[i])
                    || walked.names.contains(texts[i]))
                    continue;
                ADD_FAILURE() << "\"" << texts[i].toStdString() << "\" stays English";
            }
        }
    }
}

TEST(WindowTexts, theMenuThatOpensByItselfSpeaksTheChosenLanguage)
{
    const auto menu_texts = [](const std::string &language) {
        Program program(language);
        program.window.show();
        EXPECT_TRUE(QTest::qWaitFor([] { return OpenPopupMenu() != nullptr; }, 2000));
        QStringList texts = OpenPopupMenu() ? MenuTexts(OpenPopupMenu()) : QStringList{};
        if (OpenPopupMenu())
            OpenPopupMenu()->close();
        return texts;
    };
    const QStringList english = menu_texts(kEnglish);
    const QStringList german = menu_texts("Deutsch (German)");
    ASSERT_FALSE(english.isEmpty());
    ASSERT_EQ(german.size(), english.size());
    for (qsizetype i = 0; i < english.size(); ++i)
        if (english[i] != QLatin1String("-"))
            EXPECT_NE(german[i], english[i]);
}
