// SPDX-License-Identifier: GPL-3.0-or-later
#include "SkinResources.h"

#include <QFile>
#include <QGuiApplication>

#include <mutex>

// The pictures live in a static library; registering them by hand both makes them available
// and keeps the linker from dropping the unreferenced resource object.
static void registerArtResources()
{
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(quillet_art); });
}

namespace quillet {

QPixmap SkinResources::load(const QString &base, qreal devicePixelRatio)
{
    registerArtResources();
    if (devicePixelRatio <= 0)
        devicePixelRatio = qApp ? qApp->devicePixelRatio() : 1.0;
    if (devicePixelRatio > 1.0) {
        const QString dense = base + QStringLiteral("@2x.png");
        if (QFile::exists(dense)) {
            QPixmap pixmap(dense);
            pixmap.setDevicePixelRatio(2.0);
            return pixmap;
        }
    }
    const QString plain = base + QStringLiteral(".png");
    return QFile::exists(plain) ? QPixmap(plain) : QPixmap();
}

QPixmap SkinResources::bitmap(int id, qreal devicePixelRatio)
{
    return load(QStringLiteral(":/bmp/%1").arg(id), devicePixelRatio);
}

QPixmap SkinResources::bitmap(const QString &name, qreal devicePixelRatio)
{
    return load(QStringLiteral(":/bmp/") + name, devicePixelRatio);
}

QImage SkinResources::bitmapImage(int id)
{
    registerArtResources();
    return QImage(QStringLiteral(":/bmp/%1.png").arg(id));
}

QPixmap SkinResources::banner(qreal devicePixelRatio)
{
    return bitmap(QString::fromLatin1(kBannerName), devicePixelRatio);
}

QPixmap SkinResources::emptyListPicture(qreal devicePixelRatio)
{
    return bitmap(QString::fromLatin1(kEmptyListName), devicePixelRatio);
}

QIcon SkinResources::icon(int id, int size)
{
    registerArtResources();
    const QString base = QStringLiteral(":/icon/%1/%2").arg(size).arg(id);
    const QString plain = base + QStringLiteral(".png");
    if (!QFile::exists(plain))
        return QIcon();
    QIcon icon;
    icon.addFile(plain, QSize(size, size));
    const QString dense = base + QStringLiteral("@2x.png");
    if (QFile::exists(dense))
        icon.addFile(dense, QSize(size * 2, size * 2));
    return icon;
}

QIcon SkinResources::programIcon()
{
    registerArtResources();
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString file = QStringLiteral(":/hicolor/%1x%1/apps/quillet.png").arg(size);
        if (QFile::exists(file))
            icon.addFile(file, QSize(size, size));
    }
    return icon;
}

} // namespace quillet
