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

} // namespace orbelle::form
