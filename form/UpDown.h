// SPDX-License-Identifier: MIT
#pragma once
// A pair of arrows bound to a text box: each step writes the new number into
// the box as decimal text and raises Change. A number typed into the box is
// taken over before stepping; a box that holds no number counts from 0.

#include <functional>

#include "Control.h"

namespace orbelle::form {

class TextBox;

struct UpDownState {
    int Min = 0;
    int Max = 10;
    int Increment = 1;
    bool Wrap = false;
    int Value = 0;
    friend bool operator==(const UpDownState &, const UpDownState &) = default;
};

class UpDown : public Control, public UpDownState {
public:
    using State = UpDownState;
    explicit UpDown(std::string name = "UpDown", int index = -1) : Control(Kind::UpDown, std::move(name), index) {}

    TextBox *Buddy = nullptr;

    void stepUp() { step(+1); }
    void stepDown() { step(-1); }

    std::function<void()> Change;

private:
    void step(int direction);
};

} // namespace orbelle::form
