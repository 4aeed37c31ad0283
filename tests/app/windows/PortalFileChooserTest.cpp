// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's file chooser portal as the window asks it, answered by a fake portal on the
// test's own session bus (SessionBusMain.cpp). The fake runs on a thread of its own, as a real
// portal runs in a process of its own, so the window's blocking calls reach it.
#include "PortalFileChooser.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>

using namespace quillet;

namespace {

class FakePortal : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.FileChooser")
    Q_PROPERTY(uint version READ Version)

public:
    explicit FakePortal(QDBusConnection bus)
        : m_bus(std::move(bus))
    { }

    uint Version() const { return 3; }

    // What the next dialog answers, and what the last one was asked (read once it answered).
    std::atomic<uint> response{0};
    QStringList uris;
    QString title;
    QVariantMap options;

public slots:
    QDBusObjectPath OpenFile(const QString &, const QString &asked_title, const QVariantMap &asked)
    {
        title = asked_title;
        options = asked;
        QString sender = message().service();
        sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString path
            = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                  .arg(sender, asked.value(QStringLiteral("handle_token")).toString());
        // The user answers after the call has returned, as with a real dialog.
        QTimer::singleShot(200, this, [this, path] {
            QDBusMessage answer = QDBusMessage::createSignal(
                path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
            answer << response.load() << QVariantMap{{QStringLiteral("uris"), QVariant(uris)}};
            m_bus.send(answer);
        });
        return QDBusObjectPath(path);
    }

private:
    QDBusConnection m_bus;
};

class Portal : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_bus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(
            qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("portal")));
        if (!m_bus->isConnected())
            GTEST_SKIP() << "no session bus: dbus-run-session (package dbus) is not installed";
        m_portal = std::make_unique<FakePortal>(*m_bus);
        m_portal->moveToThread(&m_thread);
        m_thread.start();
    }
    void TearDown() override
    {
        if (m_bus && m_bus->isConnected()) {
            m_bus->unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
            m_bus->unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"));
        }
        m_thread.quit();
        m_thread.wait();
        m_portal.reset();
        m_bus.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
    }
    void Serve()
    {
        ASSERT_TRUE(m_bus->registerObject(
            QStringLiteral("/org/freedesktop/portal/desktop"), m_portal.get(),
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
        ASSERT_TRUE(m_bus->registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    }

    QWidget m_owner;
    QThread m_thread;
    std::unique_ptr<QDBusConnection> m_bus;
    std::unique_ptr<FakePortal> m_portal;
};

TEST_F(Portal, aFolderIsAskedAsAFolderFromWhereTheUserWasAndComesBackAsAPath)
{
    Serve();
    ASSERT_TRUE(PortalFileChooser::Available());
    m_portal->uris = {QUrl::fromLocalFile(QStringLiteral("/media/films/new ö")).toString()};
    bool owner_disabled = false;
    QTimer::singleShot(0, [&] { owner_disabled = !m_owner.isEnabled(); });
    const auto chosen = PortalFileChooser(&m_owner).ChooseFolder("Output folder", "/home/u");
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, "/media/films/new ö");
    EXPECT_EQ(m_portal->title, QStringLiteral("Output folder"));
    EXPECT_TRUE(m_portal->options.value(QStringLiteral("directory")).toBool());
    EXPECT_EQ(m_portal->options.value(QStringLiteral("current_folder")).toByteArray(),
              QByteArray("/home/u", 8)); // with its nul
    EXPECT_TRUE(owner_disabled) << "the window stays usable under the dialog";
    EXPECT_TRUE(m_owner.isEnabled());
}

TEST_F(Portal, severalFilesComeBackInOrderAndCancelIsNoChoiceNotAFailure)
{
    Serve();
    m_portal->uris = {QStringLiteral("file:///a/2.mp4"), QStringLiteral("file:///a/10.mkv")};
    PortalFileChooser chooser(&m_owner);
    const std::vector<FileFilter> filters{{"Video", "*.mp4; *.mkv"}, {"All files", "*.*"}};
    const auto files = chooser.ChooseFiles("Add files...", "/a/2.mp4", filters);
    ASSERT_TRUE(files.has_value());
    EXPECT_EQ(*files, (std::vector<std::string>{"/a/2.mp4", "/a/10.mkv"}));
    EXPECT_TRUE(m_portal->options.value(QStringLiteral("multiple")).toBool());
    EXPECT_TRUE(m_portal->options.contains(QStringLiteral("filters")));
    EXPECT_EQ(m_portal->options.value(QStringLiteral("current_folder")).toByteArray(),
              QByteArray("/a", 3));

    m_portal->response = 1;
    const auto none = chooser.ChooseFiles("Add files...", "", filters);
    ASSERT_TRUE(none.has_value()) << "a cancelled dialog must not open a second one";
    EXPECT_TRUE(none->empty());
    EXPECT_EQ(chooser.ChooseFolder("Output folder", ""), std::optional<std::string>(""));
}

TEST_F(Portal, withoutAPortalTheWindowUsesItsOwnDialogs)
{
    EXPECT_FALSE(PortalFileChooser::Available());
    EXPECT_EQ(PortalFileChooser(&m_owner).ChooseFolder("Output folder", "/"), std::nullopt);
}

} // namespace

#include "PortalFileChooserTest.moc"
