// SPDX-License-Identifier: GPL-3.0-or-later
#include "PortalFileChooser.h"
#include "PortalResponse.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QRegularExpression>
#include <QUrl>
#include <QWidget>

namespace {

constexpr const char *kService = "org.freedesktop.portal.Desktop";
constexpr const char *kPath = "/org/freedesktop/portal/desktop";
constexpr const char *kInterface = "org.freedesktop.portal.FileChooser";

/// One pattern of a portal filter: 0 is a glob, 1 a media type.
struct PortalPattern
{
    uint kind = 0;
    QString pattern;
};

/// A named filter as the portal takes it: (sa(us)).
struct PortalFilter
{
    QString name;
    QList<PortalPattern> patterns;
};

} // namespace

Q_DECLARE_METATYPE(PortalPattern)
Q_DECLARE_METATYPE(PortalFilter)

// QtDBus finds these by name for the (us) and (sa(us)) signatures.
QDBusArgument &operator<<(QDBusArgument &out, const PortalPattern &pattern)
{
    out.beginStructure();
    out << pattern.kind << pattern.pattern;
    out.endStructure();
    return out;
}

const QDBusArgument &operator>>(const QDBusArgument &in, PortalPattern &pattern)
{
    in.beginStructure();
    in >> pattern.kind >> pattern.pattern;
    in.endStructure();
    return in;
}

QDBusArgument &operator<<(QDBusArgument &out, const PortalFilter &filter)
{
    out.beginStructure();
    out << filter.name << filter.patterns;
    out.endStructure();
    return out;
}

const QDBusArgument &operator>>(const QDBusArgument &in, PortalFilter &filter)
{
    in.beginStructure();
    in >> filter.name >> filter.patterns;
    in.endStructure();
    return in;
}

namespace quillet {

namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

/// The object path the portal gives a request made with token by this connection.
QString RequestPath(const QDBusConnection &bus, const QString &token)
{
    QString sender = bus.baseService();
    sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

/// The portal's "parent_window": the toolkit's window id on X11; a Wayland window needs an
/// exported handle the toolkit does not give, and the dialog then opens unparented.
QString ParentWindow(const QWidget *owner)
{
    if (owner && QGuiApplication::platformName() == QLatin1String("xcb"))
        return QStringLiteral("x11:%1").arg(owner->window()->winId(), 0, 16);
    return {};
}

QByteArray FolderBytes(const QString &folder)
{
    QByteArray bytes = folder.toUtf8();
    bytes.append('\0'); // the portal takes a nul-terminated byte string
    return bytes;
}

QList<PortalFilter> PortalFilters(const std::vector<FileFilter> &filters)
{
    QList<PortalFilter> out;
    for (const FileFilter &filter : filters) {
        PortalFilter portal{QString::fromStdString(filter.description), {}};
        const QStringList globs
            = QString::fromStdString(filter.pattern)
                  .split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts);
        for (const QString &glob : globs)
            portal.patterns.append({0, glob});
        out.append(portal);
    }
    return out;
}

int PortalVersion()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return 0;
    QDBusMessage get = QDBusMessage::createMethodCall(
        QString::fromLatin1(kService), QString::fromLatin1(kPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QString::fromLatin1(kInterface) << QStringLiteral("version");
    // A portal that is installed but not running is started by this call.
    const QDBusMessage reply = bus.call(get, QDBus::Block, 3000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return 0;
    return reply.arguments().front().value<QDBusVariant>().variant().toInt();
}

} // namespace

struct PortalFileChooser::Request
{
    QString title;
    QVariantMap options;
};

bool PortalFileChooser::Available()
{
    // "directory" came with version 3 of the interface; older portals choose files only.
    return PortalVersion() >= 3;
}

std::optional<std::vector<std::string>>
PortalFileChooser::ChooseFiles(std::string_view title, std::string_view initial,
                               const std::vector<FileFilter> &filters)
{
    Request request{FromUtf8(title), {}};
    request.options.insert(QStringLiteral("multiple"), true);
    if (!filters.empty()) {
        const QList<PortalFilter> portal = PortalFilters(filters);
        request.options.insert(QStringLiteral("filters"), QVariant::fromValue(portal));
        request.options.insert(QStringLiteral("current_filter"),
                               QVariant::fromValue(portal.front()));
    }
    const QFileInfo start(FromUtf8(initial));
    if (!initial.empty())
        request.options.insert(
            QStringLiteral("current_folder"),
            FolderBytes(start.isDir() ? start.absoluteFilePath() : start.absolutePath()));
    return Open(request);
}

std::optional<std::string> PortalFileChooser::ChooseFolder(std::string_view title,
                                                           std::string_view initial)
{
    Request request{FromUtf8(title), {}};
    request.options.insert(QStringLiteral("directory"), true);
    if (!initial.empty())
        request.options.insert(QStringLiteral("current_folder"), FolderBytes(FromUtf8(initial)));
    const auto chosen = Open(request);
    if (!chosen)
        return std::nullopt;
    return chosen->empty() ? std::string() : chosen->front();
}

std::optional<std::vector<std::string>> PortalFileChooser::Open(const Request &request)
{
    qDBusRegisterMetaType<PortalPattern>();
    qDBusRegisterMetaType<QList<PortalPattern>>();
    qDBusRegisterMetaType<PortalFilter>();
    qDBusRegisterMetaType<QList<PortalFilter>>();

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return std::nullopt;
    static int serial = 0;
    const QString token = QStringLiteral("quillet%1").arg(++serial);
    QVariantMap options = request.options;
    options.insert(QStringLiteral("handle_token"), token);
    options.insert(QStringLiteral("modal"), true);

    QEventLoop loop;
    PortalResponse catcher(loop);
    // Listening before asking: the answer may come before the call returns.
    QString path = RequestPath(bus, token);
    const auto listen = [&](const QString &at) {
        return bus.connect(QString::fromLatin1(kService), at,
                           QStringLiteral("org.freedesktop.portal.Request"),
                           QStringLiteral("Response"), &catcher, SLOT(Response(uint, QVariantMap)));
    };
    if (!listen(path))
        return std::nullopt;

    QDBusMessage open = QDBusMessage::createMethodCall(
        QString::fromLatin1(kService), QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
        QStringLiteral("OpenFile"));
    open << ParentWindow(m_owner) << request.title << options;
    const QDBusMessage reply = bus.call(open, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    // A portal older than handle tokens answers on a path of its own choosing.
    const QString handle = reply.arguments().front().value<QDBusObjectPath>().path();
    if (handle != path && !catcher.answered) {
        listen(handle);
        path = handle;
    }

    // The portal going away mid-dialog must not leave the window waiting for ever.
    QDBusServiceWatcher watcher(QString::fromLatin1(kService), bus,
                                QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceUnregistered, &loop, &QEventLoop::quit);
    QPointer<QWidget> window = m_owner ? m_owner->window() : nullptr;
    const bool was_enabled = window && window->isEnabled();
    if (window)
        window->setEnabled(false);
    if (!catcher.answered)
        loop.exec();
    if (window)
        window->setEnabled(was_enabled);

    if (!catcher.answered)
        return std::nullopt;
    std::vector<std::string> chosen;
    if (catcher.response != 0)
        return chosen; // cancelled (1) or ended by the desktop (2)
    for (const QString &uri : catcher.results.value(QStringLiteral("uris")).toStringList()) {
        const QUrl url(uri);
        if (url.isLocalFile())
            chosen.push_back(url.toLocalFile().toStdString());
    }
    return chosen;
}

} // namespace quillet
