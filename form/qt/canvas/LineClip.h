// SPDX-License-Identifier: MIT
#pragma once
// Where a line control is drawn on a canvas: its ends in widget pixels, cut
// to what can show in the canvas. A line whose ends lie within the canvas,
// or no further from it than the canvas is wide and high, keeps its ends
// and so every pixel it had; a longer one (a hand a million times the face)
// is cut where it leaves that larger box, so drawing it costs what drawing
// a line across the face costs. Pure: no painting, no state.

#include <QPoint>
#include <QRect>
#include <optional>
#include <utility>

namespace orbelle::form {
class Line;
}

namespace orbelle::formqt {

using PixelSegment = std::pair<QPoint, QPoint>;

// The segment from a to b (pixels, any size; not-a-number or infinite ends
// give nothing) cut to `limit`; nothing when no part of it lies there.
std::optional<PixelSegment> clipSegment(double ax, double ay, double bx, double by, const QRect &limit);

// The box beyond which nothing of a line drawn on a canvas of this area can
// show: the area, widened by its own size on every side.
QRect lineLimit(const QRect &canvas);

// The line's ends in widget pixels (its twips from the content origin),
// cut to the line limit of the canvas area.
std::optional<PixelSegment> linePixels(const form::Line &line, QPoint origin, const QRect &canvas);

} // namespace orbelle::formqt
