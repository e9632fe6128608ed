// SPDX-License-Identifier: MIT
#pragma once
// A box that shows a picture at its natural size from the top-left corner of
// its content area and holds windowless controls (lines, shapes, images,
// labels) drawn over it. Coordinates inside are twips from that corner.

#include <functional>
#include <memory>

#include "Control.h"
#include "Picture.h"

namespace orbelle::form {

struct PictureBoxState {
    std::shared_ptr<const Picture> CurrentPicture; // null: no picture
    int BorderPixels = 2;   // 3-D border around the content area, 0 for none
    bool AutoSize = true;   // the box takes the picture's size (plus border)
    int BackColor = 0xF0F0F0;
    friend bool operator==(const PictureBoxState &, const PictureBoxState &) = default;
};

class PictureBox : public Control, public PictureBoxState {
public:
    using State = PictureBoxState;
    explicit PictureBox(std::string name = "Picture", int index = -1)
        : Control(Kind::PictureBox, std::move(name), index) {}

    // Shows the picture (null clears it); an auto-sized box takes the
    // picture's size plus its border.
    void setPicture(std::shared_ptr<const Picture> picture);

    std::function<void()> Click;
    // button, shift, x and y in twips from the content area's corner
    std::function<void(int, int, float, float)> MouseDown, MouseMove, MouseUp;
    std::function<void()> LostFocus;
    // The mouse wheel turned over the box: shift as for the mouse events,
    // then the turn in eighths of a degree (120 a notch), each positive
    // where it asks to see more of the top (deltaY) or the left (deltaX).
    // A box without a handler leaves the wheel to its window.
    std::function<void(int, int, int)> MouseWheel;
    // Offered each press over the box before it goes to the control beneath:
    // button, shift, x and y in twips from the content area's corner. A
    // handler that returns true takes the press, and then that press's moves
    // and release go to MouseDragMove and MouseDragUp (same arguments) and
    // to nothing else; no click follows.
    std::function<bool(int, int, float, float)> MouseDragDown;
    std::function<void(int, int, float, float)> MouseDragMove, MouseDragUp;
};

} // namespace orbelle::form
