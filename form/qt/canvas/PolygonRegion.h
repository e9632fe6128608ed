// SPDX-License-Identifier: MIT
#pragma once
// The pixels a polygon outline encloses under alternate (odd-even) filling,
// limited to a box: the window's own area and a margin around it. Work and
// memory grow with the box and the number of vertices only, never with how
// far the vertices lie, so an outline reaching to the ends of the integer
// range costs what one inside the window costs. Within the box the pixels
// are those Qt's own polygon region gives: a pixel (x, y) is in when its
// corner point lies inside, with the edges on the left and top inside and
// those on the right and bottom outside.

#include <QRect>
#include <QRegion>
#include <vector>

#include "Services.h"

namespace orbelle::formqt {

QRegion polygonRegion(const std::vector<form::PixelPoint> &points, const QRect &box);

// The box the region of a window of this size is built in.
QRect regionBox(QSize window);

} // namespace orbelle::formqt
