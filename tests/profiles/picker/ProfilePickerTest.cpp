// SPDX-License-Identifier: GPL-3.0-or-later
#include "CIconListBox.h"
#include "CProfileComboBox.h"
#include "CProfileComboDlg.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillet;

namespace {

// Group rows of the drop-down's left pane.
constexpr int kIpad = 0;
constexpr int kIphone = 1;
constexpr int kAppleTv = 3;
constexpr int kAllProfiles = 10;

void MoveOver(CIconListBox *pane, int row)
{
    const QPoint pos = pane->visualItemRect(pane->item(row)).center();
    QMouseEvent move(QEvent::MouseMove, pos, pane->viewport()->mapToGlobal(pos), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(pane->viewport(), &move);
}

void Press(CIconListBox *pane, int row)
{
    MoveOver(pane, row);
    QTest::mouseClick(pane->viewport(), Qt::LeftButton, {},
                      pane->visualItemRect(pane->item(row)).center());
}

QStringList Rows(const CIconListBox *pane)
{
    QStringList rows;
    for (int i = 0; i < pane->count(); ++i)
        rows << pane->item(i)->text();
    return rows;
}

struct Picker
{
    QWidget window;
    CProfileComboBox *combo = new CProfileComboBox(&window);
    QPushButton *elsewhere = new QPushButton(QStringLiteral("elsewhere"), &window);

    Picker()
    {
        window.resize(800, 600);
        combo->setGeometry(10, 10, 300, 24);
        elsewhere->setGeometry(600, 450, 100, 24);
        combo->Create(500, 380);
        combo->AddProfile("ipadh264.ini", "iPad Video");
        combo->AddProfile("ipadmp4.ini", "iPad MPEG-4");
        combo->AddProfile("iphoneh264.ini", "iPhone Video");
        combo->AddProfile("mp3c.ini", "MP3 Audio");
        combo->AddProfile("mine.ini", "My Own");
        combo->FinishGroups();
        combo->SelectProfile("ipadmp4.ini", "iPad MPEG-4");
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    CProfileComboDlg *Popup() const { return combo->Popup(); }
    void Open()
    {
        QTest::mouseClick(combo, Qt::LeftButton);
        ASSERT_TRUE(combo->PopupVisible());
    }
};

} // namespace

TEST(ProfilePicker, opensBelowTheControlShowingTheCommittedProfile)
{
    Picker p;
    EXPECT_EQ(p.combo->CommittedText(), "iPad MPEG-4");
    p.Open();
    const QPoint below = p.combo->mapToGlobal(QPoint(0, p.combo->height() + 1));
    EXPECT_EQ(p.Popup()->pos(), below);
    EXPECT_EQ(p.Popup()->size(), QSize(500, 380));
    EXPECT_TRUE(p.Popup()->WatchRunning());
    EXPECT_EQ(p.Popup()->GroupPane()->currentRow(), kIpad);
    EXPECT_EQ(Rows(p.Popup()->ItemPane()), QStringList({"iPad Video", "iPad MPEG-4"}));
    EXPECT_EQ(p.Popup()->ItemPane()->currentRow(), 1);
    // Both panes fill the height; the profile pane is the wider one.
    EXPECT_GT(p.Popup()->ItemPane()->width(), p.Popup()->GroupPane()->width());

    // A second click on the control closes it again.
    QTest::mouseClick(p.window.windowHandle(), Qt::LeftButton, {}, p.combo->geometry().center());
    EXPECT_FALSE(p.combo->PopupVisible());
}

TEST(ProfilePicker, hoveringAGroupThenClickingOutsideRestoresTheCommittedChoice)
{
    Picker p;
    QSignalSpy picked(p.combo, &CProfileComboBox::ProfileSelected);
    p.Open();
    MoveOver(p.Popup()->GroupPane(), kIphone);
    EXPECT_EQ(Rows(p.Popup()->ItemPane()), QStringList({"iPhone Video"}));
    EXPECT_EQ(p.Popup()->ItemPane()->currentRow(), 0);

    // Through the platform, as a real click comes: the drop-down has the mouse while it is open.
    QTest::mouseClick(p.window.windowHandle(), Qt::LeftButton, {},
                      p.elsewhere->geometry().center());
    QTest::qWait(2 * CProfileComboDlg::kWatchPeriodMs);
    EXPECT_FALSE(p.combo->PopupVisible());
    EXPECT_EQ(p.Popup()->GroupPane()->currentRow(), kIpad);
    EXPECT_EQ(Rows(p.Popup()->ItemPane()), QStringList({"iPad Video", "iPad MPEG-4"}));
    EXPECT_EQ(p.Popup()->ItemPane()->currentRow(), 1);
    EXPECT_EQ(p.combo->CommittedText(), "iPad MPEG-4");
    EXPECT_EQ(picked.count(), 0);
}

TEST(ProfilePicker, anotherWindowBecomingActiveClosesAndRestores)
{
    Picker p;
    p.Open();
    MoveOver(p.Popup()->GroupPane(), kIphone);
    QWidget other;
    other.show();
    other.activateWindow();
    QTest::qWait(3 * CProfileComboDlg::kWatchPeriodMs);
    EXPECT_FALSE(p.combo->PopupVisible());
    EXPECT_FALSE(p.Popup()->WatchRunning());
    EXPECT_EQ(p.Popup()->GroupPane()->currentRow(), kIpad);
    EXPECT_EQ(p.Popup()->ItemPane()->currentRow(), 1);
}

TEST(ProfilePicker, aCommitFromAllProfilesKeepsThatGroupAndIsAnnouncedAfterwards)
{
    Picker p;
    QSignalSpy picked(p.combo, &CProfileComboBox::ProfileSelected);
    p.Open();
    MoveOver(p.Popup()->GroupPane(), kAllProfiles);
    EXPECT_EQ(Rows(p.Popup()->ItemPane()),
              QStringList({"iPad Video", "iPad MPEG-4", "iPhone Video", "MP3 Audio", "My Own"}));
    Press(p.Popup()->ItemPane(), 3);

    EXPECT_FALSE(p.combo->PopupVisible());
    EXPECT_EQ(picked.count(), 0) << "announced once the click is handled, not inside it";
    ASSERT_TRUE(picked.wait(1000));
    EXPECT_EQ(picked.first().at(0).toInt(), 3);
    std::string file, section;
    ASSERT_TRUE(p.combo->GetSelectedProfile(file, section));
    EXPECT_EQ(file, "mp3c.ini");
    EXPECT_EQ(section, "MP3 Audio");
    EXPECT_EQ(p.combo->CommittedText(), "MP3 Audio");
    EXPECT_EQ(p.window.focusWidget(), p.combo);

    // Reopened, the combined list comes back with the same profile current.
    p.Open();
    EXPECT_EQ(p.Popup()->GroupPane()->currentRow(), kAllProfiles);
    EXPECT_EQ(p.Popup()->ItemPane()->count(), 5);
    EXPECT_EQ(p.Popup()->ItemPane()->currentRow(), 3);
}

TEST(ProfilePicker, enterCommitsTheCurrentProfileButNothingFromAnEmptyGroup)
{
    Picker p;
    QSignalSpy picked(p.combo, &CProfileComboBox::ProfileSelected);
    p.Open();
    MoveOver(p.Popup()->GroupPane(), kAppleTv);
    EXPECT_EQ(p.Popup()->ItemPane()->count(), 0);
    QTest::keyClick(p.Popup()->ItemPane(), Qt::Key_Return);
    QTest::qWait(20);
    EXPECT_TRUE(p.combo->PopupVisible());
    EXPECT_EQ(picked.count(), 0);
    EXPECT_EQ(p.combo->CommittedText(), "iPad MPEG-4");

    // The group with a profile: Enter commits its first (current) one.
    MoveOver(p.Popup()->GroupPane(), kIphone);
    QTest::keyClick(p.Popup()->ItemPane(), Qt::Key_Enter);
    ASSERT_TRUE(picked.wait(1000));
    EXPECT_EQ(p.combo->CommittedText(), "iPhone Video");
    EXPECT_EQ(p.Popup()->Catalogue().CommittedGroup(), kIphone);
}

TEST(ProfilePicker, escapeClosesWithoutCommitting)
{
    Picker p;
    QSignalSpy picked(p.combo, &CProfileComboBox::ProfileSelected);
    p.Open();
    MoveOver(p.Popup()->GroupPane(), kIphone);
    QTest::keyClick(p.Popup()->ItemPane(), Qt::Key_Escape);
    EXPECT_FALSE(p.combo->PopupVisible());
    QTest::qWait(20);
    EXPECT_EQ(picked.count(), 0);
    EXPECT_EQ(p.Popup()->GroupPane()->currentRow(), kIpad);
}

TEST(ProfilePicker, keysOnTheClosedControlOpenButNeverChangeTheProfile)
{
    Picker p;
    p.combo->setFocus();
    for (auto key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Left, Qt::Key_Right})
        QTest::keyClick(p.combo, key);
    EXPECT_FALSE(p.combo->PopupVisible());
    EXPECT_EQ(p.combo->CommittedText(), "iPad MPEG-4");
    QTest::keyClick(p.combo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_TRUE(p.combo->PopupVisible());
}

TEST(ProfilePicker, theClosedControlPaintsTheCommittedIconAndNothingWithoutACommit)
{
    Picker p;
    const QImage with = p.combo->grab().toImage();
    p.combo->SelectProfile("ipadh264.ini", "No Such Profile");
    EXPECT_EQ(p.combo->CommittedIndex(), -1);
    EXPECT_TRUE(p.combo->CommittedText().isEmpty());
    const QImage without = p.combo->grab().toImage();
    // The icon's square, 4 pixels from the left and centred, differs; without a commit it is
    // the plain field.
    const int top = (p.combo->height() - 16) / 2;
    int differing = 0;
    for (int y = top; y < top + 16; ++y)
        for (int x = 4; x < 20; ++x)
            differing += with.pixel(x, y) != without.pixel(x, y);
    EXPECT_GT(differing, 40);
}

TEST(ProfilePicker, operationsBeforeTheDropDownExistDoNothing)
{
    CProfileComboBox combo;
    combo.AddProfile("ipadh264.ini", "iPad Video");
    combo.FinishGroups();
    combo.SelectProfile("ipadh264.ini", "iPad Video");
    std::string file, section;
    EXPECT_FALSE(combo.GetSelectedProfile(file, section));
    EXPECT_EQ(combo.CommittedIndex(), -1);
    combo.OpenPopup();
    EXPECT_FALSE(combo.PopupVisible());
}
