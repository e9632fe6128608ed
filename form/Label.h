// SPDX-License-Identifier: MIT
#pragma once
// A caption: a window of its own on a form or frame, drawn by its container
// inside a picture box (where it also takes mouse events).

#include <functional>

#include "Control.h"

namespace orbelle::form {

struct LabelState {
    std::string Caption;
    int ForeColor = 0x000000;
    int BackColor = 0xF0F0F0;
    bool Transparent = false; // the container shows through around the text
    Alignment TextAlign = Alignment::Left;
    bool WordWrap = true;
    Font TextFont;
    friend bool operator==(const LabelState &, const LabelState &) = default;
};

class Label : public Control, public LabelState {
public:
    using State = LabelState;
    explicit Label(std::string name = "Label", int index = -1) : Control(Kind::Label, std::move(name), index) {}

    std::function<void()> Click;
    // button, shift, x and y in twips from the label's top-left corner
    std::function<void(int, int, float, float)> MouseDown, MouseMove, MouseUp;
};

} // namespace orbelle::form
