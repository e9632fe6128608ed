// SPDX-License-Identifier: MIT
#include "canvas/PolygonRegion.h"

#include <algorithm>
#include <cstdint>

namespace orbelle::formqt {

namespace {

// Walks one edge down the rows of the box and flips, in each row it
// crosses, the column from which on pixels lie beyond it. The edge's x at a
// row is kept as a whole part and a remainder over its height, so every
// step is exact in 64 bits whatever the coordinates.
void flipEdge(form::PixelPoint a, form::PixelPoint b, const QRect &box, std::vector<std::uint8_t> &flips)
{
    if (a.y == b.y)
        return; // a level edge crosses no row
    if (a.y > b.y)
        std::swap(a, b);
    const std::int64_t top = a.y, bottom = b.y; // rows top .. bottom - 1
    const std::int64_t first = std::max<std::int64_t>(top, box.top());
    const std::int64_t end = std::min<std::int64_t>(bottom, std::int64_t(box.top()) + box.height());
    if (first >= end)
        return;
    const std::int64_t dy = bottom - top;
    const std::int64_t dx = std::int64_t(b.x) - a.x;
    // dx = q * dy + rem with 0 <= rem < dy.
    std::int64_t q = dx / dy;
    std::int64_t rem = dx % dy;
    if (rem < 0) {
        rem += dy;
        --q;
    }
    // At row top + k the edge lies at a.x + k * q + k * rem / dy.
    const std::uint64_t k = std::uint64_t(first - top);
    const std::uint64_t t = k * std::uint64_t(rem); // below dy * dy, which is below 2^64
    std::int64_t whole = a.x + std::int64_t(k) * q + std::int64_t(t / std::uint64_t(dy));
    std::int64_t part = std::int64_t(t % std::uint64_t(dy));
    const std::int64_t width = box.width();
    const std::int64_t stride = width + 1;
    for (std::int64_t row = first; row < end; ++row) {
        // Pixels from the first whole column at or right of the edge on.
        const std::int64_t column = whole + (part > 0 ? 1 : 0) - box.left();
        const std::int64_t at = std::clamp<std::int64_t>(column, 0, width);
        flips[std::size_t((row - box.top()) * stride + at)] ^= 1;
        whole += q;
        part += rem;
        if (part >= dy) {
            part -= dy;
            ++whole;
        }
    }
}

} // namespace

QRect regionBox(QSize window)
{
    // A few pixels beyond the window, so that an outline that reaches just
    // past its edges gives the same region as ever.
    constexpr int kMargin = 4;
    return QRect(QPoint(-kMargin, -kMargin), window + QSize(2 * kMargin, 2 * kMargin));
}

QRegion polygonRegion(const std::vector<form::PixelPoint> &points, const QRect &box)
{
    if (points.size() < 3 || box.isEmpty())
        return {};
    const std::size_t stride = std::size_t(box.width()) + 1;
    std::vector<std::uint8_t> flips(stride * std::size_t(box.height()), 0);
    for (std::size_t i = 0; i < points.size(); ++i)
        flipEdge(points[i], points[(i + 1) % points.size()], box, flips);

    // Rows with the same spans as the row above join its band, as Qt keeps
    // its regions.
    std::vector<QRect> rects;
    std::vector<std::pair<int, int>> band, spans;
    int bandTop = 0;
    std::size_t bandStart = 0;
    auto closeBand = [&](int rowEnd) {
        for (std::size_t i = bandStart; i < rects.size(); ++i)
            rects[i].setBottom(rowEnd - 1);
    };
    for (int r = 0; r < box.height(); ++r) {
        spans.clear();
        const std::uint8_t *row = flips.data() + std::size_t(r) * stride;
        bool inside = false;
        int from = 0;
        for (int c = 0; c < box.width(); ++c) {
            if (!row[c])
                continue;
            if (inside)
                spans.emplace_back(from, c);
            else
                from = c;
            inside = !inside;
        }
        if (inside)
            spans.emplace_back(from, box.width());
        const int y = box.top() + r;
        if (!band.empty() && spans == band)
            continue;
        closeBand(y);
        band = spans;
        bandTop = y;
        bandStart = rects.size();
        for (const auto &[x0, x1] : spans)
            rects.emplace_back(box.left() + x0, bandTop, x1 - x0, 1);
    }
    closeBand(box.top() + box.height());
    QRegion region;
    if (!rects.empty())
        region.setRects(rects.data(), int(rects.size()));
    return region;
}

} // namespace orbelle::formqt
