// SPDX-License-Identifier: MIT
#pragma once
// A horizontal or vertical scroll bar: a value between Min and Max that the
// user moves by SmallChange with the arrows, by LargeChange with a click
// beside the thumb, or by dragging the thumb; LargeChange is also the part
// of the range the thumb stands for. Setting Value from code raises no event.

#include <functional>
#include <string>

#include "Control.h"

namespace orbelle::form {

struct ScrollBarState {
    bool Horizontal = true;
    int Min = 0, Max = 0, Value = 0;
    int SmallChange = 1, LargeChange = 1;
    friend bool operator==(const ScrollBarState &, const ScrollBarState &) = default;
};

class ScrollBar : public Control, public ScrollBarState {
public:
    using State = ScrollBarState;
    explicit ScrollBar(std::string name = "ScrollBar", int index = -1)
        : Control(Kind::ScrollBar, std::move(name), index) {}

    // The user moved the value (Value holds the new one).
    std::function<void()> Change;
};

} // namespace orbelle::form
