// SPDX-License-Identifier: MIT
#pragma once
// An outline drawn by its picture box: a rectangle or an ellipse filling its
// box. Takes no mouse events.

#include "Control.h"
#include "Line.h"

namespace orbelle::form {

enum class ShapeKind { Rectangle = 0, Square = 1, Oval = 2, Circle = 3, RoundedRectangle = 4, RoundedSquare = 5 };

struct ShapeState {
    ShapeKind Figure = ShapeKind::Rectangle; // the outline drawn in the box
    int BorderColor = 0;
    int BorderWidth = 1; // pixels
    PenStyle BorderStyle = PenStyle::Solid;
    friend bool operator==(const ShapeState &, const ShapeState &) = default;
};

class Shape : public Control, public ShapeState {
public:
    using State = ShapeState;
    explicit Shape(std::string name = "Shape", int index = -1) : Control(Control::Kind::Shape, std::move(name), index) {}
};

} // namespace orbelle::form
