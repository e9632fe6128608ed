// SPDX-License-Identifier: MIT
#pragma once
// A check box: Value 0 unticked, 1 ticked, 2 greyed. A new value, set by a
// click or from code, raises Click.

#include <functional>

#include "Control.h"

namespace orbelle::form {

struct CheckBoxState {
    std::string Caption;
    int Value = 0;
    Font TextFont;
    friend bool operator==(const CheckBoxState &, const CheckBoxState &) = default;
};

class CheckBox : public Control, public CheckBoxState {
public:
    using State = CheckBoxState;
    explicit CheckBox(std::string name = "Check", int index = -1) : Control(Kind::CheckBox, std::move(name), index) {}

    // Raises Click when the value changes.
    void setValue(int value)
    {
        if (value == Value)
            return;
        Value = value;
        if (Click)
            Click();
    }

    std::function<void()> Click;
};

} // namespace orbelle::form
