// SPDX-License-Identifier: GPL-3.0-or-later
// What the desktop hears while the main window converts: logind's sleep lock, the taskbar
// progress and the end-of-batch notification, recorded by fake services on the test's own bus
// (SessionBusMain.cpp), with real conversions of generated clips.
#include "BatchNotifier.h"
#include "CGradientProgress.h"
#include "CSkinButton.h"
#include "LauncherProgress.h"
#include "SleepInhibitor.h"
#include "WindowHarness.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QTest>
#include <QTimer>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <set>
#include <unistd.h>

using namespace quillet;
using namespace quillet::test;
namespace fs = std::filesystem;

namespace {

/// logind's manager: every Inhibit hands out the write end of a pipe and keeps the read end,
/// which reports a hang-up once every copy of the write end is closed: the lock is released.
class FakeLogind : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    struct Lock
    {
        QStringList arguments;
        int read_end;
    };
    std::vector<Lock> locks;

    ~FakeLogind() override
    {
        for (const Lock &lock : locks)
            ::close(lock.read_end);
    }

    bool Released(std::size_t index) const
    {
        pollfd watched{locks.at(index).read_end, POLLIN, 0};
        return ::poll(&watched, 1, 0) == 1 && (watched.revents & POLLHUP) != 0;
    }
    bool AllReleased() const
    {
        for (std::size_t i = 0; i < locks.size(); ++i)
            if (!Released(i))
                return false;
        return true;
    }

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString &what, const QString &who, const QString &why,
                                    const QString &mode)
    {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return {};
        locks.push_back({{what, who, why, mode}, ends[0]});
        QDBusUnixFileDescriptor handed(ends[1]); // a copy: ours is closed now
        ::close(ends[1]);
        return handed;
    }
};

/// A notification server: records what it is asked to show.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Note
    {
        QString app, icon, summary, body;
        QStringList actions;
        QVariantMap hints;
        uint id;
    };
    std::vector<Note> notes;

public slots:
    uint Notify(const QString &app, uint, const QString &icon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int)
    {
        notes.push_back({app, icon, summary, body, actions, hints, 70 + uint(notes.size())});
        return notes.back().id;
    }

signals:
    void ActionInvoked(uint id, const QString &action);
    void NotificationClosed(uint id, uint reason);
};

/// A dock: records every launcher-entry update.
class LauncherListener : public QObject
{
    Q_OBJECT

public:
    struct Update
    {
        QString uri;
        double progress;
        bool visible;
    };
    std::vector<Update> updates;

public slots:
    void Update(const QString &uri, const QVariantMap &properties)
    {
        updates.push_back({uri, properties.value(QStringLiteral("progress")).toDouble(),
                           properties.value(QStringLiteral("progress-visible")).toBool()});
    }
};

HarnessOptions OnTheBus()
{
    HarnessOptions options;
    options.desktop_buses = true;
    return options;
}

/// The fakes on a connection of their own, on the bus the test program runs under, which is
/// both its session and its system bus.
class DesktopBus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
        ASSERT_EQ(qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS"), address);
        m_fakes = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("fakes")));
        ASSERT_TRUE(m_fakes->isConnected())
            << "no session bus: dbus-run-session (package dbus) is not installed";
        const auto exported = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals;
        ASSERT_TRUE(m_fakes->registerService(QStringLiteral("org.freedesktop.login1")));
        ASSERT_TRUE(m_fakes->registerObject(QStringLiteral("/org/freedesktop/login1"), &m_logind,
                                            exported));
        ASSERT_TRUE(m_fakes->registerService(QStringLiteral("org.freedesktop.Notifications")));
        ASSERT_TRUE(m_fakes->registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                            &m_notifications, exported));
        ASSERT_TRUE(m_fakes->connect(
            QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
            QStringLiteral("Update"), &m_dock, SLOT(Update(QString, QVariantMap)))); // NOLINT
    }
    void TearDown() override
    {
        m_fakes.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("fakes"));
    }

    /// Clips of two seconds under the given names in the window's list.
    static void AddClips(WindowHarness &h, const std::vector<std::string> &names)
    {
        AddCopies(h, names, GeneratedClip("desktop.mp4", 2.0, 320, 240));
        ASSERT_EQ(h.tasks.Count(), static_cast<int>(names.size()));
    }

    /// The user looks at the window: it is the active one once the events of adding the tasks
    /// (which may move the focus about) are handled.
    static void Watch(MainDialog &w)
    {
        QTest::qWait(100);
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        QTest::qWait(100);
        ASSERT_TRUE(w.isActiveWindow());
    }

    /// Another window takes the focus, as when the user works elsewhere during a batch.
    void LookAway(MainDialog &w)
    {
        m_elsewhere.resize(200, 100);
        m_elsewhere.show();
        m_elsewhere.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_elsewhere));
        ASSERT_FALSE(w.isActiveWindow());
    }

    FakeLogind m_logind;
    FakeNotifications m_notifications;
    LauncherListener m_dock;
    std::unique_ptr<QDBusConnection> m_fakes;
    QWidget m_elsewhere;
};

/// Clicks Cancel at the first moment the batch about to start converts and `ready` holds,
/// however fast the batch is.
void CancelOnceConverting(
    MainDialog &w, std::function<bool()> ready = [] { return true; })
{
    auto *poll = new QTimer(&w);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, &w, ready = std::move(ready)] {
        if (!w.State().converting || !ready())
            return;
        poll->stop();
        poll->deleteLater();
        QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    });
    poll->start(1);
}

} // namespace

TEST_F(DesktopBus, everyBatchHoldsOneSleepLockWhileItRunsAndClosesItWhenItEnds)
{
    WindowHarness h(OnTheBus());
    MainDialog &w = h.Start();
    AddClips(h, {"one.mp4", "two.mp4"});
    Watch(w);

    // Sampled while the batch runs: the lock has been taken and is still held.
    bool held_while_converting = false;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const std::size_t locks = m_logind.locks.size();
        if (w.State().converting && locks > 0 && !m_logind.Released(locks - 1))
            held_while_converting = true;
    });
    sampler.start(10);
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    EXPECT_TRUE(held_while_converting);
    ASSERT_EQ(m_logind.locks.size(), 1u);
    EXPECT_EQ(m_logind.locks[0].arguments,
              QStringList({"sleep:idle", "quillet", "quillet is converting 2 files", "block"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_logind.Released(0); }, 2000));

    // A second batch of a new file (what is made is not made again), cancelled while it
    // converts: a lock of its own, also given back.
    AddCopies(h, {"three.mp4"}, GeneratedClip("desktop.mp4", 2.0, 320, 240));
    ASSERT_EQ(h.tasks.Count(), 3);
    held_while_converting = false;
    CancelOnceConverting(w, [&] { return held_while_converting; });
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    sampler.stop();
    EXPECT_TRUE(held_while_converting);
    ASSERT_EQ(m_logind.locks.size(), 2u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_logind.AllReleased(); }, 2000));

    // The user watched both: nothing to notify.
    QTest::qWait(100);
    EXPECT_TRUE(m_notifications.notes.empty());
}

TEST_F(DesktopBus, theTaskbarShowsTheWholeBatchAndHidesTheBarAtTheEnd)
{
    WindowHarness h(OnTheBus());
    MainDialog &w = h.Start();
    AddClips(h, {"one.mp4", "two.mp4", "three.mp4"});
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !m_dock.updates.empty() && !m_dock.updates.back().visible; }, 2000));

    const auto &updates = m_dock.updates;
    for (const auto &update : updates)
        EXPECT_EQ(update.uri, "application://quillet.desktop");
    EXPECT_TRUE(updates.front().visible);
    EXPECT_DOUBLE_EQ(updates.front().progress, 0.0);
    // The fraction of the batch only grows, across the three outputs, and reaches the end
    // before the bar goes.
    double last = 0;
    std::set<int> thirds;
    for (std::size_t i = 0; i + 1 < updates.size(); ++i) {
        EXPECT_TRUE(updates[i].visible);
        EXPECT_GE(updates[i].progress, last);
        last = updates[i].progress;
        thirds.insert(static_cast<int>(updates[i].progress * 3 + 1e-9));
    }
    EXPECT_DOUBLE_EQ(last, 1.0);
    EXPECT_EQ(thirds, (std::set<int>{0, 1, 2, 3}));
    // Repeats of the same percent are not sent again.
    EXPECT_LE(updates.size(), 103u);
}

TEST_F(DesktopBus, aBatchEndingUnwatchedIsNotifiedOnceBeforeItsFailureListWithAnOpenFolderAction)
{
    WindowHarness h(OnTheBus());
    MainDialog &w = h.Start();
    AddClips(h, {"one.mp4", "two.mp4", "gone.mp4"});
    fs::remove(h.MediaFolder() / "gone.mp4"); // fails in the engine
    LookAway(w);

    // The failure list waits for the user; by then the desktop must already know.
    std::size_t notes_when_box_opened = 99;
    bool lock_released_when_box_opened = false;
    h.prompter.while_open = [&] {
        QTest::qWait(200);
        notes_when_box_opened = m_notifications.notes.size();
        lock_released_when_box_opened = m_logind.locks.size() == 1 && m_logind.Released(0);
    };
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    ASSERT_EQ(h.prompter.told.size(), 1u);
    EXPECT_NE(h.prompter.told[0].find("gone.mp4"), std::string::npos);
    EXPECT_EQ(notes_when_box_opened, 1u);
    EXPECT_TRUE(lock_released_when_box_opened);

    ASSERT_EQ(m_notifications.notes.size(), 1u);
    const auto &note = m_notifications.notes[0];
    EXPECT_EQ(note.app, "quillet");
    EXPECT_EQ(note.summary, "Conversion finished");
    EXPECT_EQ(note.body, "2 files converted, 1 failed");
    EXPECT_TRUE(note.actions.contains("open-folder"));
    EXPECT_EQ(note.hints.value("desktop-entry").toString(), "quillet");

    // Another program's notification is not ours to answer; ours opens the output folder.
    emit m_notifications.ActionInvoked(note.id + 100, "open-folder");
    emit m_notifications.ActionInvoked(note.id, "open-folder");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !h.desktop.opened.empty(); }, 2000));
    QTest::qWait(50);
    EXPECT_EQ(h.desktop.opened, std::vector<std::string>{h.app.OutputFolder()});

    // Once closed, its action is forgotten.
    emit m_notifications.NotificationClosed(note.id, 2);
    QTest::qWait(100);
    emit m_notifications.ActionInvoked(note.id, "open-folder");
    QTest::qWait(100);
    EXPECT_EQ(h.desktop.opened.size(), 1u);
}

TEST_F(DesktopBus, aBatchTheUserWatchesOrCancelsIsNotNotified)
{
    WindowHarness h(OnTheBus());
    MainDialog &w = h.Start();
    AddClips(h, {"one.mp4"});
    Watch(w);
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    ASSERT_TRUE(fs::exists(fs::path(h.app.OutputFolder()) / "one.mp4"));

    // A second batch of a new file, cancelled while it converts: the cancel landed when the new
    // file's output is not there.
    AddCopies(h, {"two.mp4"}, GeneratedClip("desktop.mp4", 2.0, 320, 240));
    ASSERT_EQ(h.tasks.Count(), 2);
    LookAway(w);
    CancelOnceConverting(w);
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    EXPECT_FALSE(fs::exists(fs::path(h.app.OutputFolder()) / "two.mp4"));
    QTest::qWait(200);
    EXPECT_TRUE(m_notifications.notes.empty());
    EXPECT_EQ(m_logind.locks.size(), 2u);
}

TEST_F(DesktopBus, aLockGrantedAfterItsBatchEndedIsClosedAtOnce)
{
    SleepInhibitor inhibitor;
    inhibitor.Take(1);
    inhibitor.Release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_logind.locks.size() == 1; }, 2000));
    EXPECT_EQ(m_logind.locks[0].arguments[2], "quillet is converting 1 file");
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_logind.Released(0); }, 2000));
    EXPECT_FALSE(inhibitor.Held());

    // Taken twice in one batch: one lock.
    inhibitor.Take(4);
    inhibitor.Take(4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return inhibitor.Held(); }, 2000));
    EXPECT_EQ(m_logind.locks.size(), 2u);
    EXPECT_FALSE(m_logind.Released(1));
    inhibitor.Release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_logind.Released(1); }, 2000));
}

TEST_F(DesktopBus, withoutTheServicesOrWithoutAnyBusAConversionStillWorks)
{
    // Services gone from a live bus: calls fail quietly.
    TearDown();
    {
        SleepInhibitor inhibitor(QDBusConnection::systemBus());
        inhibitor.Take(2);
        QTest::qWait(200);
        EXPECT_FALSE(inhibitor.Held());
        inhibitor.Release();
    }

    WindowHarness h(OnTheBus());
    MainDialog &w = h.Start();
    const QDBusConnection none(QStringLiteral("never connected"));
    w.SetDesktopBuses(none, none);
    AddClips(h, {"one.mp4", "gone.mp4"});
    fs::remove(h.MediaFolder() / "gone.mp4");
    LookAway(w);
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    ASSERT_EQ(h.prompter.told.size(), 1u); // only the failure list
    ASSERT_EQ(h.desktop.shown.size(), 1u);
    EXPECT_TRUE(fs::exists(h.desktop.shown[0]));
    EXPECT_FALSE(w.State().converting);
    EXPECT_EQ(w.ConvertButton()->text(), "&Convert");
    EXPECT_TRUE(m_logind.locks.empty());
    EXPECT_TRUE(m_notifications.notes.empty());
}

#include "DesktopWhileConvertingTest.moc"
