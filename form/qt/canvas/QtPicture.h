// SPDX-License-Identifier: MIT
#pragma once
// A decoded picture with its pixels, as the Qt services hand it to a form.

#include <QByteArray>
#include <QImage>

#include "Picture.h"

namespace orbelle::formqt {

// A picture file's bytes decoded as the forms show pictures: upright (turned
// as its orientation tag says, as stored where it has none), pixel for pixel
// whatever the file's name says of screen density, in a 32-bit format. Null
// when they hold no picture. The one loader of both programs' pictures.
QImage decodePicture(const QByteArray &bytes, const QByteArray &formatHint = {});

class QtPicture : public form::Picture {
public:
    // `encoded` is the file's bytes, kept so the pixels can be let go of
    // while a prepared copy of them is shown.
    QtPicture(std::string path, QImage image, QByteArray encoded = {});

    // The pixels, decoded again from the kept bytes when they were let go.
    QImage image() const;

    // A canvas showing a copy of the pixels of its own (scaled for the
    // screen, or blended over a colour) lets go of these; they come back on
    // the next image(). Kept when there are no bytes to decode them from.
    void letGoOfPixels() const;
    // A canvas showing these very pixels needs no bytes to decode them from.
    void forgetBytes() const;

private:
    mutable QImage image_;
    mutable QByteArray encoded_;
    QByteArray formatHint_;
};

} // namespace orbelle::formqt
