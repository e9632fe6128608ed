// SPDX-License-Identifier: MIT
#pragma once
// A status bar with one text panel.

#include "Control.h"

namespace orbelle::form {

struct StatusBarState {
    std::string PanelText;
    friend bool operator==(const StatusBarState &, const StatusBarState &) = default;
};

class StatusBar : public Control, public StatusBarState {
public:
    using State = StatusBarState;
    explicit StatusBar(std::string name = "StatusBar", int index = -1)
        : Control(Kind::StatusBar, std::move(name), index) {}
};

} // namespace orbelle::form
