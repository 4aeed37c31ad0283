// SPDX-License-Identifier: GPL-3.0-or-later
// Showing an output in the file manager over D-Bus, on a bus of the test's own.
#include "DesktopActions.h"

#include "TempDir.h"

#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillet;

namespace {

/// A file manager on the bus: records what it is asked to show.
class FakeFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown;

public slots:
    void ShowItems(const QStringList &uris, const QString &) { shown << uris; }
};

/// SystemDesktop with its opening recorded instead of done.
class RecordedOpen : public SystemDesktop
{
public:
    using SystemDesktop::SystemDesktop;
    std::vector<std::string> opened;
    int Open(const std::string &target) override
    {
        opened.push_back(target);
        return 33;
    }
};

/// A private session bus for the test.
struct PrivateBus
{
    QProcess daemon;
    QString address;
    bool Start()
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (program.isEmpty())
            return false;
        daemon.start(program,
                     {QStringLiteral("--session"), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address")});
        if (!daemon.waitForReadyRead(5000))
            return false;
        address = QString::fromUtf8(daemon.readLine()).trimmed();
        return !address.isEmpty();
    }
    ~PrivateBus()
    {
        daemon.terminate();
        daemon.waitForFinished(2000);
    }
};

} // namespace

TEST(SystemDesktop, showsTheOutputSelectedWhenAFileManagerAnswersAndElseOpensItsFolder)
{
    PrivateBus bus;
    if (!bus.Start())
        GTEST_SKIP() << "dbus-daemon is not installed";
    QDBusConnection service = QDBusConnection::connectToBus(bus.address, QStringLiteral("fm"));
    QDBusConnection client = QDBusConnection::connectToBus(bus.address, QStringLiteral("client"));
    ASSERT_TRUE(service.isConnected());

    // No file manager on the bus yet: the folder is opened instead.
    RecordedOpen desktop(client);
    desktop.ShowItem("/videos/out/holiday film.mp4");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !desktop.opened.empty(); }, 5000));
    EXPECT_EQ(desktop.opened, std::vector<std::string>{"/videos/out"});

    FakeFileManager manager;
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.FileManager1")));
    ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
                                       QDBusConnection::ExportScriptableSlots
                                           | QDBusConnection::ExportAllSlots));
    desktop.ShowItem("/videos/out/holiday film.mp4");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !manager.shown.isEmpty(); }, 5000));
    EXPECT_EQ(manager.shown, QStringList({"file:///videos/out/holiday%20film.mp4"}));
    QTest::qWait(50);
    EXPECT_EQ(desktop.opened.size(), 1u);
    QDBusConnection::disconnectFromBus(QStringLiteral("fm"));
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
}

TEST(SystemDesktop, withoutASessionBusTheFolderIsOpened)
{
    RecordedOpen desktop(QDBusConnection(QStringLiteral("never connected")));
    desktop.ShowItem("/videos/out/a.mp4");
    EXPECT_EQ(desktop.opened, std::vector<std::string>{"/videos/out"});
}

TEST(SystemDesktop, onlyExecutableProgramsAreStarted)
{
    test::TempDir folder;
    const auto refused = folder.path() / "refused ran";
    const auto started = folder.path() / "started ran";
    const auto script
        = test::WriteFile(folder.path() / "nolo", "#!/bin/sh\ntouch '" + refused.string() + "'\n");
    const auto program
        = test::WriteFile(folder.path() / "yes", "#!/bin/sh\ntouch '" + started.string() + "'\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    SystemDesktop desktop;
    // Not executable, missing, a folder: none of them runs; the program asked for last does,
    // and by the time it has, anything started before it would have too.
    desktop.StartProgram(script.string());
    desktop.StartProgram((folder.path() / "Quorvin").string());
    desktop.StartProgram(folder.path().string());
    desktop.StartProgram(program.string());
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(started); }, 5000));
    EXPECT_FALSE(std::filesystem::exists(refused));
}

#include "DesktopActionsTest.moc"
