// SPDX-License-Identifier: MIT
#pragma once
// A transparent rectangle drawn by its picture box, optionally with a thin
// border; it takes the mouse events over its area.

#include <functional>

#include "Control.h"

namespace orbelle::form {

struct ImageState {
    bool SingleBorder = false; // a thin line around it
    friend bool operator==(const ImageState &, const ImageState &) = default;
};

class Image : public Control, public ImageState {
public:
    using State = ImageState;
    explicit Image(std::string name = "Image", int index = -1) : Control(Kind::Image, std::move(name), index) {}

    std::function<void()> Click;
    // button, shift, x and y in twips from the image's top-left corner
    std::function<void(int, int, float, float)> MouseDown, MouseMove, MouseUp;
};

} // namespace orbelle::form
