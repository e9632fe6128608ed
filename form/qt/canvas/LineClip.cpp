// SPDX-License-Identifier: MIT
#include "canvas/LineClip.h"

#include <algorithm>
#include <cmath>

#include "Line.h"
#include "Units.h"

namespace orbelle::formqt {

namespace {

bool within(double x, double y, const QRect &r)
{
    return x >= r.left() && x <= r.right() && y >= r.top() && y <= r.bottom();
}

// Pixels from twips as toPixels rounds them, without its range limit.
double pixelsOf(double twips)
{
    return std::round(twips / form::kTwipsPerPixel);
}

} // namespace

std::optional<PixelSegment> clipSegment(double ax, double ay, double bx, double by, const QRect &limit)
{
    if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by) || limit.isEmpty())
        return std::nullopt;
    const bool aIn = within(ax, ay, limit);
    const bool bIn = within(bx, by, limit);
    if (aIn && bIn)
        return PixelSegment(QPoint(int(ax), int(ay)), QPoint(int(bx), int(by)));
    // The part of the segment, as a fraction of its way from a to b, that
    // lies on the inner side of each of the four edges, and the edge that
    // cuts each end (0 left, 1 right, 2 top, 3 bottom; -1 none).
    const double dx = bx - ax;
    const double dy = by - ay;
    double t0 = 0, t1 = 1;
    int edge0 = -1, edge1 = -1;
    const auto keep = [&](double p, double q, int edge) {
        // Inside where p * t <= q.
        if (p == 0)
            return q >= 0;
        const double t = q / p;
        if (p < 0 && t > t0) {
            t0 = t;
            edge0 = edge;
        } else if (p > 0 && t < t1) {
            t1 = t;
            edge1 = edge;
        }
        return t0 <= t1;
    };
    if (!keep(-dx, ax - limit.left(), 0) || !keep(dx, limit.right() - ax, 1) || !keep(-dy, ay - limit.top(), 2) ||
        !keep(dy, limit.bottom() - ay, 3))
        return std::nullopt;
    // A cut end lies on its edge exactly; its other coordinate follows the
    // line from whichever end is nearer, so that ends far out on both sides
    // lose no precision to the fraction.
    const auto cut = [&](int edge, double fallbackX, double fallbackY) {
        double x = fallbackX, y = fallbackY;
        if (edge == 0 || edge == 1) {
            x = edge == 0 ? limit.left() : limit.right();
            const bool fromA = std::abs(x - ax) <= std::abs(x - bx);
            y = fromA ? ay + (x - ax) * (dy / dx) : by + (x - bx) * (dy / dx);
        } else if (edge == 2 || edge == 3) {
            y = edge == 2 ? limit.top() : limit.bottom();
            const bool fromA = std::abs(y - ay) <= std::abs(y - by);
            x = fromA ? ax + (y - ay) * (dx / dy) : bx + (y - by) * (dx / dy);
        }
        return QPoint(std::clamp(int(std::lround(std::clamp(x, -1e9, 1e9))), limit.left(), limit.right()),
                      std::clamp(int(std::lround(std::clamp(y, -1e9, 1e9))), limit.top(), limit.bottom()));
    };
    const QPoint a = aIn ? QPoint(int(ax), int(ay)) : cut(edge0, ax, ay);
    const QPoint b = bIn ? QPoint(int(bx), int(by)) : cut(edge1, bx, by);
    return PixelSegment(a, b);
}

QRect lineLimit(const QRect &canvas)
{
    return canvas.adjusted(-canvas.width(), -canvas.height(), canvas.width(), canvas.height());
}

std::optional<PixelSegment> linePixels(const form::Line &line, QPoint origin, const QRect &canvas)
{
    return clipSegment(origin.x() + pixelsOf(line.X1), origin.y() + pixelsOf(line.Y1),
                       origin.x() + pixelsOf(line.X2), origin.y() + pixelsOf(line.Y2), lineLimit(canvas));
}

} // namespace orbelle::formqt
