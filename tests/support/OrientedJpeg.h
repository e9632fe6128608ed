// SPDX-License-Identifier: MIT
#pragma once
// A photo as a phone stores a portrait: the pixels lying on their side in a
// JPEG whose orientation tag asks for a quarter turn clockwise (6). For the
// widget tests only (it needs Qt's image classes).

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

namespace orbelle::testing {

// `w` x `h` stored pixels, the left half red and the right half blue; with
// `tagged` an APP1 segment right after the start marker holds "Exif", a
// big-endian TIFF header and one directory entry, 0x0112 (orientation) = 6.
inline QByteArray sidewaysJpeg(int w, int h, bool tagged = true)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w / 2; ++x)
            image.setPixelColor(x, y, Qt::red);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    if (!tagged)
        return jpeg;
    static const char exif[] = "\xFF\xE1\x00\x22"
                               "Exif\x00\x00"
                               "MM\x00\x2A\x00\x00\x00\x08"
                               "\x00\x01"
                               "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00"
                               "\x00\x00\x00\x00";
    return jpeg.left(2) + QByteArray(exif, int(sizeof exif - 1)) + jpeg.mid(2);
}

} // namespace orbelle::testing
