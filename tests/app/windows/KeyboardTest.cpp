// SPDX-License-Identifier: GPL-3.0-or-later
// The program used with the keyboard alone: every key goes where a real one would (the open
// pop-up, else the focused control), and nothing is clicked or called.
#include "CIconListBox.h"
#include "CProfileComboBox.h"
#include "CProfileComboDlg.h"
#include "CSkinButton.h"
#include "MediaFixtures.h"
#include "SheetTestSupport.h"
#include "TaskListView.h"
#include "WindowHarness.h"
#include "profiles/sheet/CExPropertySheet.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillet;
using namespace quillet::test;
namespace fs = std::filesystem;

namespace {

/// The off-screen platform has no window manager: the window a real one would activate (the
/// modal window on top, else the main window once it closed) is activated here.
void ActivateAsAWindowManagerWould()
{
    QWidget *top = QApplication::activeModalWidget();
    if (!top && (!QApplication::activeWindow() || !QApplication::activeWindow()->isVisible())) {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && qobject_cast<MainDialog *>(window))
                top = window;
        }
    }
    if (top && QApplication::activeWindow() != top && !QApplication::activePopupWidget()) {
        top->activateWindow();
        QApplication::setActiveWindow(top);
    }
}

QWidget *KeyTarget()
{
    ActivateAsAWindowManagerWould();
    if (QWidget *popup = QApplication::activePopupWidget())
        return popup->focusWidget() ? popup->focusWidget() : popup;
    return QApplication::focusWidget();
}

void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *target = KeyTarget();
    ASSERT_NE(target, nullptr) << "no control has the keyboard";
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

void Type(const QString &text)
{
    QWidget *target = KeyTarget();
    ASSERT_NE(target, nullptr) << "no control has the keyboard";
    QTest::keyClicks(target, text);
}

/// Presses Tab until wanted has the focus; false when a whole round never reaches it.
bool TabTo(const QWidget *wanted, int limit = 60)
{
    for (int i = 0; i < limit && KeyTarget() != wanted; ++i)
        QTest::keyClick(KeyTarget(), Qt::Key_Tab);
    return QApplication::focusWidget() == wanted;
}

} // namespace

TEST(Keyboard, aBatchIsAddedChosenSetUpAndConvertedWithKeysAlone)
{
    WindowHarness h;
    MainDialog &w = h.Start();
    DialogFileChooser dialogs(&w);
    w.SetFileChooser(&dialogs);
    ShowActive(&w);
    const fs::path source = h.MediaFolder() / "keyed clip.mp4";
    fs::copy_file(GeneratedClip("keys.mp4", 1.0, 160, 120), source);

    // New Task, then "Add files" from its menu, then the path typed into the file dialog.
    ASSERT_TRUE(TabTo(w.AddButton()));
    UiScript files;
    files.Then<QFileDialog>([&](QFileDialog *) {
        Type(QString::fromStdString(source.string()));
        Key(Qt::Key_Return);
    });
    Key(Qt::Key_Space);
    ASSERT_NE(QApplication::activePopupWidget(), nullptr) << "the Add menu did not open";
    Key(Qt::Key_Down);
    Key(Qt::Key_Return);
    ASSERT_EQ(files.Pending(), 0u);
    ASSERT_EQ(h.tasks.Count(), 1);

    // The picker: open it, step to the audio group on the left, the MP3 profile on the right.
    ASSERT_TRUE(TabTo(w.ProfilePicker()));
    Key(Qt::Key_Down, Qt::AltModifier);
    CProfileComboDlg *popup = w.ProfilePicker()->Popup();
    ASSERT_TRUE(popup->isVisible());
    Key(Qt::Key_Left);
    ASSERT_EQ(QApplication::focusWidget(), popup->GroupPane());
    const QList<QListWidgetItem *> audio
        = popup->GroupPane()->findItems(QStringLiteral("Common Audio"), Qt::MatchExactly);
    ASSERT_EQ(audio.size(), 1);
    while (popup->GroupPane()->currentRow() != popup->GroupPane()->row(audio.front()))
        Key(popup->GroupPane()->currentRow() < popup->GroupPane()->row(audio.front()) ? Qt::Key_Down
                                                                                      : Qt::Key_Up);
    Key(Qt::Key_Right);
    ASSERT_EQ(QApplication::focusWidget(), popup->ItemPane());
    for (int i = 0; i < popup->ItemPane()->count()
         && popup->ItemPane()->currentItem()->text() != QStringLiteral("MP3 Audio");
         ++i)
        Key(Qt::Key_Down);
    Key(Qt::Key_Return);
    QTest::qWait(0);
    ASSERT_FALSE(popup->isVisible());
    EXPECT_EQ(w.ProfilePicker()->CommittedText(), QStringLiteral("MP3 Audio"));

    // The sheet: a custom sample rate typed in, OK by Enter.
    ASSERT_TRUE(TabTo(w.ListView()));
    Key(Qt::Key_Home);
    ASSERT_TRUE(TabTo(w.OptionsButton()));
    UiScript sheet;
    sheet.Then<CExPropertySheet>([&](CExPropertySheet *window) {
        auto *custom = window->findChild<QRadioButton *>(QStringLiteral("sampleRateCustom"));
        auto *rate = window->findChild<QLineEdit *>(QStringLiteral("sampleRate"));
        if (!TabTo(window->findChild<QRadioButton *>(QStringLiteral("sampleRateOriginal")))
            && !TabTo(custom)) {
            ADD_FAILURE() << "the sample rate's choice is out of the tab round";
            window->reject();
            return;
        }
        if (QApplication::focusWidget() != custom)
            Key(Qt::Key_Down);
        EXPECT_TRUE(custom->isChecked());
        EXPECT_TRUE(TabTo(rate));
        Key(Qt::Key_A, Qt::ControlModifier);
        Type(QStringLiteral("22050"));
        Key(Qt::Key_Return);
    });
    Key(Qt::Key_Space);
    ASSERT_EQ(sheet.Pending(), 0u);
    EXPECT_EQ(h.tasks.Get(0)->settings.bAudioCustomSampleRate, 1);
    EXPECT_EQ(h.tasks.Get(0)->settings.nAudioCustomSampleRate, 22050);

    // Convert: the batch runs inside the key press and the file is there when it returns.
    ASSERT_TRUE(TabTo(w.ConvertButton()));
    Key(Qt::Key_Space);
    std::vector<fs::path> outputs;
    for (const auto &entry : fs::directory_iterator(h.app.OutputFolder()))
        outputs.push_back(entry.path());
    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_EQ(outputs.front().extension(), ".mp3");
    const ProbedFile probed = Ffprobe(outputs.front());
    ASSERT_TRUE(probed.ok);
    ASSERT_NE(probed.first("audio"), nullptr);
    EXPECT_EQ(probed.first("audio")->sample_rate, 22050);
}
