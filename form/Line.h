// SPDX-License-Identifier: MIT
#pragma once
// A line segment drawn by its container, from (X1, Y1) to (X2, Y2) in the
// container's twips. Takes no mouse events.

#include "Control.h"

namespace orbelle::form {

enum class PenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Transparent, InsideSolid };

// How the pen combines with the pixels beneath.
enum class DrawMode {
    CopyPen,   // the pen's colour replaces the pixel
    MaskNotPen // the pixel keeps only the bits the pen does not have
};

struct LineState {
    float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0; // twips
    int BorderColor = 0;                  // red in the lowest byte
    int BorderWidth = 1;                  // pixels
    PenStyle BorderStyle = PenStyle::Solid;
    DrawMode Mode = DrawMode::CopyPen;
    friend bool operator==(const LineState &, const LineState &) = default;
};

class Line : public Control, public LineState {
public:
    using State = LineState;
    explicit Line(std::string name = "Line", int index = -1) : Control(Kind::Line, std::move(name), index) {}
};

} // namespace orbelle::form
