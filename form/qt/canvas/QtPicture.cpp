// SPDX-License-Identifier: MIT
#include "canvas/QtPicture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

namespace orbelle::formqt {

namespace {

QImage read(const QByteArray &bytes, const QByteArray &format)
{
    QByteArray data = bytes;
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer, format);
    // A photo stored on its side with an orientation tag is turned upright;
    // a picture without one is read as stored.
    reader.setAutoTransform(true);
    return reader.read();
}

} // namespace

QImage decodePicture(const QByteArray &bytes, const QByteArray &formatHint)
{
    // The bytes say what they are; the name's suffix counts only for a
    // format they cannot tell.
    QImage image = read(bytes, {});
    if (image.isNull() && !formatHint.isEmpty())
        image = read(bytes, formatHint);
    if (image.isNull())
        return {};
    image.setDevicePixelRatio(1.0);
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                          : QImage::Format_RGB32);
}

QtPicture::QtPicture(std::string path, QImage image, QByteArray encoded)
    : form::Picture(path, image.width(), image.height()), image_(std::move(image)), encoded_(std::move(encoded)),
      formatHint_(QFileInfo(QString::fromStdString(path)).suffix().toLower().toLatin1())
{
}

QImage QtPicture::image() const
{
    if (image_.isNull() && !encoded_.isEmpty())
        image_ = decodePicture(encoded_, formatHint_);
    return image_;
}

void QtPicture::letGoOfPixels() const
{
    if (!encoded_.isEmpty())
        image_ = QImage();
}

void QtPicture::forgetBytes() const
{
    if (!image_.isNull())
        encoded_ = QByteArray();
}

} // namespace orbelle::formqt
