// SPDX-License-Identifier: MIT
#pragma once
// One of a group of mutually exclusive choices: the option buttons with the
// same container. Selecting one, by a click or from code, clears the others
// and raises Click.

#include <functional>

#include "Control.h"

namespace orbelle::form {

struct OptionButtonState {
    std::string Caption;
    bool Value = false;
    Font TextFont;
    friend bool operator==(const OptionButtonState &, const OptionButtonState &) = default;
};

class OptionButton : public Control, public OptionButtonState {
public:
    using State = OptionButtonState;
    explicit OptionButton(std::string name = "Option", int index = -1)
        : Control(Kind::OptionButton, std::move(name), index) {}

    // True selects this one, clears its siblings and raises Click; false
    // only clears it.
    void setValue(bool value);

    std::function<void()> Click;
};

} // namespace orbelle::form
