// SPDX-License-Identifier: MIT
// A picture's pixels may be let go of while a canvas shows a copy of them,
// and come back exactly from the file's bytes; without the bytes they stay.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "canvas/QtPicture.h"

namespace orbelle::formqt::testing {
namespace {

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage pattern(bool translucent)
{
    QImage image(7, 5, translucent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, QColor(x * 30, y * 50, 200, translucent ? 40 + x * 20 : 255));
    return image;
}

TEST(QtPictureTest, PixelsLetGoComeBackAsTheyWere)
{
    const struct {
        const char *what;
        bool translucent;
        bool forgetBytesFirst;
        bool pixelsKept;  // whether the pixels stay in memory after letting go
    } rows[] = {
        {"opaque picture", false, false, false},
        {"translucent picture", true, false, false},
        {"picture whose bytes were forgotten", false, true, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        const QByteArray bytes = encoded(pattern(row.translucent), "PNG");
        const QImage decoded = decodePicture(bytes, "png");
        ASSERT_FALSE(decoded.isNull());
        EXPECT_EQ(decoded.format(), row.translucent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        const QtPicture picture("face.png", decoded, bytes);
        if (row.forgetBytesFirst)
            picture.forgetBytes();
        const qint64 before = picture.image().cacheKey();
        picture.letGoOfPixels();
        EXPECT_EQ(picture.image().cacheKey() == before, row.pixelsKept);
        EXPECT_EQ(picture.image(), decoded);
        EXPECT_EQ(picture.widthPixels(), 7);
        EXPECT_EQ(picture.heightPixels(), 5);
    }
}

TEST(QtPictureTest, BytesThatHoldNoPictureDecodeToNothing)
{
    EXPECT_TRUE(decodePicture(QByteArray("not a picture at all"), "png").isNull());
    EXPECT_TRUE(decodePicture(QByteArray()).isNull());
    // A wrong name is only a hint: the bytes say what they are.
    EXPECT_FALSE(decodePicture(encoded(pattern(false), "BMP"), "png").isNull());
}

} // namespace
} // namespace orbelle::formqt::testing
