// SPDX-License-Identifier: GPL-3.0-or-later
#include "SkinResources.h"

#include "DialogLook.h"

#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include <mutex>

// The pictures live in a static library; registering them by hand both makes them available
// and keeps the linker from dropping the unreferenced resource object.
static void RegisterArtResources()
{
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(quillet_art); });
}

namespace quillet {

QPixmap SkinResources::Load(const QString &base, qreal device_pixel_ratio)
{
    RegisterArtResources();
    if (device_pixel_ratio <= 0)
        device_pixel_ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    if (device_pixel_ratio > 1.0) {
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

QPixmap SkinResources::Bitmap(int id, qreal device_pixel_ratio)
{
    return Load(QStringLiteral(":/bmp/%1").arg(id), device_pixel_ratio);
}

QPixmap SkinResources::Bitmap(const QString &name, qreal device_pixel_ratio)
{
    return Load(QStringLiteral(":/bmp/") + name, device_pixel_ratio);
}

QImage SkinResources::BitmapImage(int id)
{
    RegisterArtResources();
    return QImage(QStringLiteral(":/bmp/%1.png").arg(id));
}

QPixmap SkinResources::Banner(qreal device_pixel_ratio)
{
    return Bitmap(QString::fromLatin1(kBannerName), device_pixel_ratio);
}

QPixmap SkinResources::BannerWithTagline(const QString &tagline, qreal device_pixel_ratio)
{
    // Where the picture leaves room for the line: from its baseline at (55, 43) to the right
    // edge, in the picture's own pixels.
    constexpr QPoint kBaseline(55, 43);
    constexpr int kPixelSize = 11;
    constexpr int kSmallestPixelSize = 8;
    QPixmap banner = Banner(device_pixel_ratio);
    if (banner.isNull() || tagline.isEmpty())
        return banner;
    const int room = qRound(banner.width() / banner.devicePixelRatio()) - kBaseline.x() - 2;
    QFont font(QStringLiteral("DejaVu Sans"));
    for (int size = kPixelSize; size >= kSmallestPixelSize; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).horizontalAdvance(tagline) <= room)
            break;
    }
    QPainter painter(&banner);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(LabelText());
    painter.drawText(kBaseline, tagline);
    return banner;
}

QPixmap SkinResources::EmptyListPicture(qreal device_pixel_ratio)
{
    return Bitmap(QString::fromLatin1(kEmptyListName), device_pixel_ratio);
}

QIcon SkinResources::Icon(int id, int size)
{
    RegisterArtResources();
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

QIcon SkinResources::ProgramIcon()
{
    RegisterArtResources();
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString file = QStringLiteral(":/hicolor/%1x%1/apps/quillet.png").arg(size);
        if (QFile::exists(file))
            icon.addFile(file, QSize(size, size));
    }
    return icon;
}

} // namespace quillet
