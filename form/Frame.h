// SPDX-License-Identifier: MIT
#pragma once
// A group box: a caption over a frame that holds other windowed controls,
// whose places are measured from the frame's corner.

#include "Control.h"

namespace orbelle::form {

struct FrameState {
    std::string Caption;
    Font TextFont;
    int BackColor = 0xF0F0F0;
    friend bool operator==(const FrameState &, const FrameState &) = default;
};

class Frame : public Control, public FrameState {
public:
    using State = FrameState;
    explicit Frame(std::string name = "Frame", int index = -1) : Control(Kind::Frame, std::move(name), index) {}
};

} // namespace orbelle::form
