// SPDX-License-Identifier: MIT
#pragma once
// A push button with a caption.

#include <functional>

#include "Control.h"

namespace orbelle::form {

struct CommandButtonState {
    std::string Caption;
    Font TextFont;
    friend bool operator==(const CommandButtonState &, const CommandButtonState &) = default;
};

class CommandButton : public Control, public CommandButtonState {
public:
    using State = CommandButtonState;
    explicit CommandButton(std::string name = "Command", int index = -1)
        : Control(Kind::CommandButton, std::move(name), index) {}

    std::function<void()> Click;
    // Raised with the button code when a button is pressed or released on it.
    std::function<void(int, int, float, float)> MouseDown, MouseUp;
};

} // namespace orbelle::form
