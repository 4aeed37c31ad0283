// SPDX-License-Identifier: GPL-3.0-or-later
#include "CLinkLabel.h"
#include "LinkOpener.h"
#include "TempDir.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(LinkOpener, failureTextsAreTheFixedEnglishOnes)
{
    EXPECT_EQ(LinkFailureMessage(2),
              QStringLiteral("Unable to open hyperlink:\n\nThe specified file was not found."));
    EXPECT_EQ(LinkErrorText(26), QStringLiteral("A sharing violation occurred. "));
    EXPECT_EQ(LinkErrorText(0),
              QStringLiteral("The operating system is out\nof memory or resources."));
    EXPECT_EQ(LinkErrorText(31),
              QStringLiteral("There is no application associated\nwith the "
                             "given filename extension."));
    EXPECT_EQ(LinkErrorText(99), QStringLiteral("Unknown Error (99) occurred."));
    EXPECT_EQ(LinkErrorText(-4), QStringLiteral("Unknown Error (-4) occurred."));
}

TEST(LinkOpener, missingFilesAndFoldersAreReportedBeforeAnythingIsStarted)
{
    test::TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    EXPECT_EQ(OpenLinkTarget(folder + QStringLiteral("/missing.mp4")), kLinkFileNotFound);
    EXPECT_EQ(OpenLinkTarget(folder + QStringLiteral("/no/such/folder/clip.mp4")),
              kLinkPathNotFound);
    EXPECT_EQ(OpenLinkTarget(QStringLiteral("file://") + folder + QStringLiteral("/missing.mp4")),
              kLinkFileNotFound);
    EXPECT_EQ(OpenLinkTarget(QString()), kLinkFileNotFound);
}

// Answers the next message box with OK and remembers its text and icon.
struct BoxWatcher
{
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool seen = false;

    void Arm()
    {
        QTimer::singleShot(0, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen = true;
            text = box->text();
            icon = box->icon();
            box->accept();
        });
    }
};

TEST(LinkLabel, aFailedOpenExplainsTheCauseInAWarning)
{
    CLinkLabel label;
    label.resize(120, 30);
    label.SetTarget(QStringLiteral("/nowhere/banner-target"));
    QString opened;
    label.SetOpener([&opened](const QString &target) {
        opened = target;
        return kLinkFileNotFound;
    });
    int failure = -1;
    QObject::connect(&label, &CLinkLabel::OpenFailed, [&failure](int code) { failure = code; });

    BoxWatcher watcher;
    watcher.Arm();
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(10, 10));

    EXPECT_EQ(opened, QStringLiteral("/nowhere/banner-target"));
    EXPECT_EQ(failure, kLinkFileNotFound);
    ASSERT_TRUE(watcher.seen);
    EXPECT_EQ(watcher.text, LinkFailureMessage(kLinkFileNotFound));
    EXPECT_EQ(watcher.icon, QMessageBox::Warning);
}

TEST(LinkLabel, aSuccessfulOpenShowsNothing)
{
    CLinkLabel label;
    label.resize(120, 30);
    label.SetTarget(QStringLiteral("https://example.org/"));
    int calls = 0;
    label.SetOpener([&calls](const QString &) {
        ++calls;
        return kLinkSucceeded;
    });
    BoxWatcher watcher;
    watcher.Arm();
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(10, 10));
    QApplication::processEvents();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(watcher.seen);

    // A press that is released outside the label is no click.
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(300, 10));
    EXPECT_EQ(calls, 1);
}

TEST(LinkLabel, tooltipFallsBackToTheTarget)
{
    CLinkLabel label;
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    label.SetTarget(QStringLiteral("https://example.org/"));
    EXPECT_EQ(label.toolTip(), QStringLiteral("https://example.org/"));
    label.SetTooltip(QStringLiteral("welcome to Quillet website"));
    EXPECT_EQ(label.toolTip(), QStringLiteral("welcome to Quillet website"));
    label.SetTarget(QStringLiteral("https://example.org/other"));
    EXPECT_EQ(label.toolTip(), QStringLiteral("welcome to Quillet website"));
    label.SetTooltip(QString());
    EXPECT_EQ(label.toolTip(), QStringLiteral("https://example.org/other"));
}

} // namespace
} // namespace quillet
