// SPDX-License-Identifier: MIT
#pragma once
// An editable text. The binding writes what the user types into Text and
// raises Change; code that sets Text is shown at the next update.

#include <functional>

#include "Control.h"

namespace orbelle::form {

struct TextBoxState {
    std::string Text; // line breaks as CR LF
    bool MultiLine = false;
    bool VerticalScrollBar = false;
    Alignment TextAlign = Alignment::Left;
    int ForeColor = 0x000000;
    int BackColor = 0xFFFFFF;
    Font TextFont;
    friend bool operator==(const TextBoxState &, const TextBoxState &) = default;
};

class TextBox : public Control, public TextBoxState {
public:
    using State = TextBoxState;
    explicit TextBox(std::string name = "Text", int index = -1) : Control(Kind::TextBox, std::move(name), index) {}

    std::function<void()> Change;
};

} // namespace orbelle::form
