// SPDX-License-Identifier: MIT
#pragma once
// Which control of a picture box a mouse event belongs to: the topmost
// visible image or label under the pointer (lines and shapes take no mouse
// events), with the position made relative to that control's current
// top-left corner; the picture box itself where none is hit.

#include "PictureBox.h"

namespace orbelle::form {

struct MouseTarget {
    Control *control = nullptr; // null: the picture box itself
    float x = 0, y = 0;         // twips from the target's top-left corner
};

MouseTarget routeMouse(PictureBox &box, float x, float y);

enum class MouseAction { Down, Move, Up };

// Routes one event and raises the target's handler; returns the target.
MouseTarget deliverMouse(PictureBox &box, MouseAction action, int button, int shift, float x, float y);

// Routes the mouse events of one picture box over time. While a button is
// held, the control that was pressed keeps the moves and the release (it
// has the mouse captured), with positions relative to its current corner
// even outside it, so a drag never loses its object and every press gets
// its release. A click goes to the pressed control when the release is
// over it too. Without a button held, moves go to whatever is under the
// pointer. A press the box's MouseDragDown takes is the box's alone, until
// its release.
class MouseRouter {
public:
    explicit MouseRouter(PictureBox &box) : box_(box) {}

    void press(int button, int shift, float x, float y);
    void move(int buttons, int shift, float x, float y);
    // Raises the release and then, where due, the click.
    void release(int button, int shift, float x, float y);

private:
    // The pressed control (null: the box); false when it has gone.
    bool captured(Control *&target) const;

    PictureBox &box_;
    bool pressed_ = false;
    bool takenByBox_ = false; // the box's MouseDragDown took the press
    std::uint64_t pressSerial_ = 0; // 0: the box itself
};

} // namespace orbelle::form
