// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures every window relies on: present at both resolutions, of the sizes the layouts
// expect, masks white outside their shape, leading pictures keyed.

#include "SkinImageSet.h"
#include "SkinResources.h"

#include <QImage>

#include <gtest/gtest.h>

namespace quillet {
namespace {

void ExpectBitmap(int id, QSize size)
{
    const QPixmap plain = SkinResources::Bitmap(id, 1.0);
    const QPixmap dense = SkinResources::Bitmap(id, 2.0);
    ASSERT_FALSE(plain.isNull()) << id;
    ASSERT_FALSE(dense.isNull()) << id;
    EXPECT_EQ(plain.size(), size) << id;
    EXPECT_EQ(dense.size(), size * 2) << id;
    EXPECT_EQ(dense.deviceIndependentSize().toSize(), size) << id;
}

TEST(Artwork, everyBitmapExistsAtBothResolutionsInItsSize)
{
    for (const int id : {266, 267, 269})
        ExpectBitmap(id, QSize(88, 20));
    ExpectBitmap(268, QSize(126, 74));
    for (int id = 253; id <= 260; ++id)
        ExpectBitmap(id, QSize(32, 32));
    for (int id = 272; id <= 277; ++id)
        ExpectBitmap(id, QSize(16, 16));
    EXPECT_EQ(SkinResources::Banner(1.0).size(), QSize(411, 50));
    EXPECT_FALSE(SkinResources::EmptyListPicture(1.0).isNull());
    EXPECT_EQ(SkinResources::EmptyListPicture(2.0).size(),
              SkinResources::EmptyListPicture(1.0).size() * 2);
    EXPECT_TRUE(SkinResources::Bitmap(9999).isNull());
}

TEST(Artwork, masksAreWhiteOutsideAndBlackInsideTheirShape)
{
    for (const int id : {268, 255, 259}) {
        const QImage mask = SkinResources::BitmapImage(id);
        ASSERT_FALSE(mask.isNull()) << id;
        const int r = mask.width() - 1, b = mask.height() - 1;
        for (const QPoint &corner : {QPoint(0, 0), QPoint(r, 0), QPoint(0, b), QPoint(r, b)})
            EXPECT_EQ(mask.pixel(corner) & 0xFFFFFF, 0xFFFFFFu) << id;
        EXPECT_EQ(mask.pixel(mask.rect().center()) & 0xFFFFFF, 0u) << id;
        // Only the shape and its smoothed edge: everything else pure white or pure black.
        int other = 0;
        for (int y = 0; y < mask.height(); ++y) {
            for (int x = 0; x < mask.width(); ++x) {
                const QRgb p = mask.pixel(x, y) & 0xFFFFFF;
                if (p != 0xFFFFFF && p != 0)
                    ++other;
            }
        }
        EXPECT_LT(other, 2 * (mask.width() + mask.height())) << id;
    }
}

TEST(Artwork, leadingPicturesAreKeyedInMagenta)
{
    for (int id = 272; id <= 277; ++id) {
        for (const qreal dpr : {1.0, 2.0}) {
            const QImage picture = SkinResources::Bitmap(id, dpr).toImage();
            int keyed = 0;
            for (int y = 0; y < picture.height(); ++y) {
                for (int x = 0; x < picture.width(); ++x) {
                    if ((picture.pixel(x, y) & 0xFFFFFF) == 0xFF00FF)
                        ++keyed;
                }
            }
            EXPECT_GT(keyed, 0) << id;
            EXPECT_LT(keyed, picture.width() * picture.height() * 3 / 4)
                << id << " is nearly empty";
        }
    }
}

TEST(Artwork, theProfilePickerIconsExistInBothSizes)
{
    for (const int id : SkinResources::kProfileIconIds) {
        for (const int size : {16, 32}) {
            const QIcon icon = SkinResources::Icon(id, size);
            ASSERT_FALSE(icon.isNull()) << id << "@" << size;
            const QImage image = icon.pixmap(QSize(size, size), 1.0).toImage();
            EXPECT_EQ(image.size(), QSize(size, size)) << id;
            EXPECT_EQ(icon.pixmap(QSize(size, size), 2.0).size(), QSize(size, size) * 2) << id;
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << id << " has a transparent corner";
        }
    }
    EXPECT_TRUE(SkinResources::Icon(1, 16).isNull());
}

} // namespace
} // namespace quillet
