// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

#include <array>

namespace quillet {

/// The program's numbered pictures. Windows ask for a picture by its number and never spell a
/// resource path; the right resolution (1x or the @2x twin) is chosen here.
class SkinResources
{
public:
    /// Bitmap number id (:/bmp/<id>.png); a null pixmap when there is no such picture.
    /// @param device_pixel_ratio the ratio to serve; 0 means the application's highest.
    static QPixmap Bitmap(int id, qreal device_pixel_ratio = 0);
    /// A named bitmap (:/bmp/<name>.png), for pictures that have a name instead of a number.
    static QPixmap Bitmap(const QString &name, qreal device_pixel_ratio = 0);
    /// The bitmap at its 1x resolution as an image, for reading its pixels (shape masks).
    static QImage BitmapImage(int id);

    /// The main window's banner (235 x 31 dialog units in the dialog font: 411 x 50 pixels).
    static QPixmap Banner(qreal device_pixel_ratio = 0);
    /// The banner with tagline written under the program's name, in the labels' blue; a
    /// tagline too long for the picture is written smaller, never cut.
    static QPixmap BannerWithTagline(const QString &tagline, qreal device_pixel_ratio = 0);
    /// The picture the task list shows while it is empty.
    static QPixmap EmptyListPicture(qreal device_pixel_ratio = 0);

    /// Icon number id drawn for the given size (16 or 32), with its @2x twin for dense screens;
    /// a null icon when there is no such icon.
    static QIcon Icon(int id, int size);
    /// The program's own icon (the desktop theme's picture, every size from 16 to 256 pixels),
    /// for the windows' title bars and the taskbar.
    static QIcon ProgramIcon();

    /// Icon resources of the profile picker's image lists, in list order.
    static constexpr std::array<int, 13> kProfileIconIds{128, 290, 314, 313, 307, 308, 309,
                                                         312, 311, 310, 347, 348, 345};

    static constexpr const char *kBannerName = "banner";
    static constexpr const char *kEmptyListName = "emptylist";

private:
    static QPixmap Load(const QString &base, qreal device_pixel_ratio);
};

} // namespace quillet
