// SPDX-License-Identifier: GPL-3.0-or-later
// The Waitting window on its own: one at most, its owner disabled while it is up, the update
// rule, and the main window kept painted by the updates.

#include "disc/subtitles/CWaittingDlg.h"
#include "disc/subtitles/WaitWindowProgress.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillet;

namespace {

/// The main window's part here: it counts its paints.
class PaintCounter : public QWidget
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override { ++paints; }
};

void ProcessDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

TEST(WaittingWindow, showsOverItsOwnerWhichStaysDisabledUntilItCloses)
{
    PaintCounter owner;
    owner.resize(400, 300);
    owner.show();
    CWaittingDlg *window = CWaittingDlg::Show(&owner);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(CWaittingDlg::Current(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(window->windowTitle(), "Waitting");
    EXPECT_EQ(window->MessageLabel()->text(), "Please waitting, maybe need a few minutes...");
    EXPECT_EQ(window->ProgressBar()->minimum(), 0);
    EXPECT_EQ(window->ProgressBar()->maximum(), 100);

    // At most one: a second show hands back the first.
    EXPECT_EQ(CWaittingDlg::Show(&owner), window);

    // Only Close ends it; Esc and the close box do not.
    QTest::keyClick(window, Qt::Key_Escape);
    window->close();
    EXPECT_TRUE(window->isVisible());

    QPointer<CWaittingDlg> guard(window);
    window->Close();
    ProcessDeletes();
    EXPECT_EQ(guard, nullptr);
    EXPECT_EQ(CWaittingDlg::Current(), nullptr);
    EXPECT_TRUE(owner.isEnabled());
}

TEST(WaittingWindow, theSamePercentTwiceChangesOnlyTheMessage)
{
    QWidget owner;
    CWaittingDlg *window = CWaittingDlg::Show(&owner);
    window->Update(42, "first");
    EXPECT_EQ(window->ProgressBar()->value(), 42);
    EXPECT_EQ(window->PercentLabel()->text(), "42 %");
    EXPECT_EQ(window->MessageLabel()->text(), "first");

    // Someone else wrote into the label: an update at the same percent leaves it alone.
    window->PercentLabel()->setText("kept");
    window->Update(42, "second");
    EXPECT_EQ(window->PercentLabel()->text(), "kept");
    EXPECT_EQ(window->MessageLabel()->text(), "second");
    window->Update(43, "third");
    EXPECT_EQ(window->PercentLabel()->text(), "43 %");
    EXPECT_EQ(window->ProgressBar()->value(), 43);
    window->Close();
    ProcessDeletes();
}

TEST(WaittingWindow, eachUpdateRepaintsTheMainWindow)
{
    PaintCounter owner;
    owner.resize(400, 300);
    owner.show();
    CWaittingDlg *window = CWaittingDlg::Show(&owner);
    QCoreApplication::processEvents();
    for (int percent = 10; percent <= 30; percent += 10) {
        const int before = owner.paints;
        // A paint request waiting, as the main window's own changes leave them.
        owner.update();
        window->Update(percent, "Extracting subtitles from film.mkv");
        EXPECT_GT(owner.paints, before) << percent;
    }
    window->Close();
    ProcessDeletes();
}

TEST(WaittingWindow, progressOfAnExtractionShowsAndClosesTheWindow)
{
    QWidget owner;
    const ProgressWindowFactory factory = WaitWindowFactory(&owner);
    {
        std::unique_ptr<ExtractionProgress> progress = factory();
        ASSERT_NE(CWaittingDlg::Current(), nullptr);
        EXPECT_FALSE(owner.isEnabled());
        progress->Update(55, "halfway");
        EXPECT_EQ(CWaittingDlg::Current()->ProgressBar()->value(), 55);
        {
            // A second extraction meanwhile reports to the same window and leaves it open.
            std::unique_ptr<ExtractionProgress> nested = factory();
            nested->Update(60, "nested");
        }
        ASSERT_NE(CWaittingDlg::Current(), nullptr);
        EXPECT_EQ(CWaittingDlg::Current()->MessageLabel()->text(), "nested");
    }
    ProcessDeletes();
    EXPECT_EQ(CWaittingDlg::Current(), nullptr);
    EXPECT_TRUE(owner.isEnabled());
}
