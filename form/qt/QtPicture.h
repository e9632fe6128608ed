#pragma once
// A decoded picture with its pixels, as the Qt services hand it to a form.

#include <QImage>

#include "Picture.h"

namespace orbelle::formqt {

class QtPicture : public form::Picture {
public:
    QtPicture(std::string path, QImage image)
        : form::Picture(std::move(path), image.width(), image.height()), image_(std::move(image)) {}
    const QImage &image() const { return image_; }

private:
    QImage image_;
};

} // namespace orbelle::formqt
