// SPDX-License-Identifier: MIT
#include "PictureBox.h"

#include "Units.h"

namespace orbelle::form {

void PictureBox::setPicture(std::shared_ptr<const Picture> picture)
{
    CurrentPicture = std::move(picture);
    // Without a picture an auto-sized box keeps the size it has.
    if (!AutoSize || !CurrentPicture)
        return;
    const int w = CurrentPicture ? CurrentPicture->widthPixels() : 0;
    const int h = CurrentPicture ? CurrentPicture->heightPixels() : 0;
    Width = float((w + 2 * BorderPixels) * kTwipsPerPixel);
    Height = float((h + 2 * BorderPixels) * kTwipsPerPixel);
}

} // namespace orbelle::form
