// SPDX-License-Identifier: MIT
#pragma once
// A status bar with a text panel that takes the free width and, where the
// form gives texts for them, further panels to its right sized to their text.

#include <string>
#include <vector>

#include "Control.h"

namespace orbelle::form {

struct StatusBarState {
    std::string PanelText;                // the first panel
    std::vector<std::string> MorePanels;  // panels 2, 3, ... left to right; an empty text hides its panel
    friend bool operator==(const StatusBarState &, const StatusBarState &) = default;
};

class StatusBar : public Control, public StatusBarState {
public:
    using State = StatusBarState;
    explicit StatusBar(std::string name = "StatusBar", int index = -1)
        : Control(Kind::StatusBar, std::move(name), index) {}
};

} // namespace orbelle::form
