// SPDX-License-Identifier: MIT
// The Line piece: no widget; a line its canvas paints, in pieces of a few
// dozen rows, and repaints only when its ends move to other pixels.

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "pieces/ControlPiece.h"
#include "Conversions.h"
#include "Line.h"
#include "canvas/LineClip.h"
#include "canvas/StrokedPieces.h"
#include "pieces/WidgetLook.h"

namespace orbelle::formqt {

namespace {

PieceItem makeLine(form::Control &, const PieceContext &)
{
    return noWidget();
}

// A line looks the same while its ends fall on the same pixels: a clock's
// minute hand moves a few twips every second but a pixel only now and then.
std::function<bool()> watchLine(const form::Control &control)
{
    const auto &line = static_cast<const form::Line &>(control);
    struct Look {
        form::ControlState place;
        form::LineState own;
        bool operator==(const Look &) const = default;
    };
    return [&line, last = std::optional<Look>()]() mutable {
        form::LineState own = line;
        // Rounded as toPixels rounds, but kept as a real: a hand of any
        // length, however far out, still tells one place from another.
        for (float *end : {&own.X1, &own.Y1, &own.X2, &own.Y2})
            *end = float(std::round(double(*end) / form::kTwipsPerPixel));
        Look now{static_cast<const form::ControlState &>(line), own};
        if (last && *last == now)
            return false;
        last = now;
        return true;
    };
}

// How far from its ends' straight path a line's pixels may lie, in canvas
// pixels: half the pen's width, and a pixel for the rounding of its edges
// and one for the rounding of where its pieces meet.
int reachOf(const form::Line &line)
{
    return std::max(1, line.BorderWidth) / 2 + 2;
}

// On a denser screen than the design's a wide solid line is filled rather
// than stroked: the pixels within half the pen's width of its path, as a
// band and a round end at each end of it, at the screen's own pixels. The
// raster engine fills a polygon and a whole-pixel circle in a single pass,
// where stroking builds and flattens an outline of curves first. At the
// design's own scale lines are stroked, pixel for pixel as they always were.
struct Filled {
    double half = 0; // half the pen's width, in canvas pixels
};

// At the design's own scale a solid wide line in an opaque colour is drawn
// from the rows its pieces covered before (StrokedPieces).
struct Stroked {
    QColor colour;
    int width = 1;
    bool maskNotPen = false;
};

void drawPiece(QPainter &p, QPoint from, QPoint to, const std::optional<Filled> &filled,
               const std::optional<Stroked> &stroked, bool firstPiece)
{
    if (filled) {
        StrokedPieces::fill(p, from, to, filled->half, firstPiece);
        return;
    }
    if (stroked && StrokedPieces::shared().draw(p, from, to, stroked->width, stroked->colour, stroked->maskNotPen))
        return;
    if (from == to)
        p.drawPoint(from);
    else
        p.drawLine(from, to);
}

// The raster engine hands a fill of more than about a hundred spans (device
// pixel rows) to a pool of threads, which wakes them at every tick; a long
// line is therefore drawn as pieces of fewer rows. Pieces meet on whole
// pixels, and both draw modes give the same pixel when it is drawn twice.
// A piece whose box, widened by the pen, misses the repainted area is left
// out: the clip would keep all of its pixels off the canvas anyway, but its
// stroking would cost the same. Calls `each(from, to, firstPiece)` for the
// pieces kept.
template <typename Each>
void forEachPiece(QPoint a, QPoint b, double scale, int reach, const QRegion *repainting, Each &&each)
{
    const auto touches = [&](QPoint from, QPoint to) {
        return !repainting || repainting->intersects(QRect(from, to).normalized().adjusted(-reach, -reach, reach, reach));
    };
    // A stub shorter than a pixel still shows, as a dot the pen's width.
    if (a == b) {
        if (touches(a, b))
            each(a, b, true);
        return;
    }
    constexpr int kMaxRows = 80;
    const int rows = int(std::ceil(std::abs(b.y() - a.y()) * std::max(1.0, scale)));
    const int pieces = std::max(1, (rows + kMaxRows - 1) / kMaxRows);
    QPoint from = a;
    for (int i = 1; i <= pieces; ++i) {
        const QPoint to = i == pieces ? b
                                      : QPoint(a.x() + int(std::lround(double(b.x() - a.x()) * i / pieces)),
                                               a.y() + int(std::lround(double(b.y() - a.y()) * i / pieces)));
        if (touches(from, to))
            each(from, to, i == 1);
        from = to;
    }
}

void paintLine(QPainter &p, const form::Control &control, const CanvasPlace &at)
{
    const auto &line = static_cast<const form::Line &>(control);
    const auto ends = linePixels(line, at.origin, at.canvas);
    if (line.BorderStyle == form::PenStyle::Transparent || !ends)
        return;
    const QColor colour = toQColor(line.BorderColor);
    const Qt::PenStyle style = toQtPenStyle(line.BorderStyle);
    const QTransform t = p.deviceTransform();
    std::optional<Filled> filled;
    std::optional<Stroked> stroked;
    if (style == Qt::SolidLine && line.BorderWidth >= 2 && t.type() <= QTransform::TxScale && t.m11() == t.m22() &&
        t.m11() > 1)
        filled = Filled{line.BorderWidth / 2.0};
    else if (style == Qt::SolidLine && line.BorderWidth >= 2)
        stroked = Stroked{colour, line.BorderWidth, line.Mode == form::DrawMode::MaskNotPen};
    if (filled) {
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
    } else {
        QPen pen(colour, std::max(1, line.BorderWidth), style, Qt::RoundCap, Qt::RoundJoin);
        if (line.BorderWidth <= 1)
            pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
    }
    p.setCompositionMode(line.Mode == form::DrawMode::MaskNotPen
                             ? QPainter::RasterOp_NotSourceAndDestination
                             : QPainter::CompositionMode_SourceOver);
    forEachPiece(ends->first, ends->second, std::abs(t.m22()), reachOf(line), at.repainting,
                 [&](QPoint from, QPoint to, bool first) { drawPiece(p, from, to, filled, stroked, first); });
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (filled)
        p.setBrush(Qt::NoBrush);
}

// A solid wide line's rows of device pixels, piece by piece as it is
// painted: stroked at the design's own scale, filled on a denser screen.
bool lineRows(const form::Control &control, const CanvasPlace &at, PaintedRows &out)
{
    const auto &line = static_cast<const form::Line &>(control);
    const auto ends = linePixels(line, at.origin, at.canvas);
    if (line.BorderStyle == form::PenStyle::Transparent || !ends)
        return true;
    const int scale = int(at.scale);
    if (toQtPenStyle(line.BorderStyle) != Qt::SolidLine || line.BorderWidth < 2 || line.BorderWidth > 64 ||
        scale != at.scale || scale < 1 || scale > 4)
        return false;
    // A piece's runs are counted in 16 bits from its corner.
    const QPoint span = ends->second - ends->first;
    if ((std::max(std::abs(span.x()), std::abs(span.y())) + line.BorderWidth + 4) * scale > 32000)
        return false;
    out.colour = toQColor(line.BorderColor).rgb();
    out.maskNotPen = line.Mode == form::DrawMode::MaskNotPen;
    forEachPiece(ends->first, ends->second, scale, reachOf(line), at.repainting, [&](QPoint from, QPoint to, bool first) {
        const StrokedPieces::Rows &rows = StrokedPieces::shared().rows(from, to, line.BorderWidth, scale, first);
        for (const StrokedPieces::Run &run : rows.runs)
            out.rows.emplace_back(rows.corner.x() + run.x, rows.corner.y() + run.y, run.length, 1);
    });
    return true;
}

// The box around the line's ends on the canvas, padded by its width.
QRect lineCoverage(const form::Control &control, const CanvasPlace &at)
{
    const auto &line = static_cast<const form::Line &>(control);
    const auto ends = linePixels(line, at.origin, at.canvas);
    if (!ends)
        return {};
    const auto [a, b] = *ends;
    const int pad = line.BorderWidth + 2;
    return QRect(a, b).normalized().adjusted(-pad, -pad, pad, pad);
}

int floorDiv(int n, int d)
{
    return n / d - ((n % d != 0) && ((n < 0) != (d < 0)));
}

// The line's pixels, padded, as one run in each band of 16 screen rows, the bands
// laid from the canvas's top edge. A hand's old and new places, and a hand
// and its shadow, fall into the same bands, so what a tick repaints stays a
// few dozen rectangles; boxes laid along the line instead overlap in steps,
// and a slanting hand came to hundreds of rectangles, each one costing its
// own clipping and sending.
QRegion lineDamage(const form::Control &control, const CanvasPlace &at)
{
    const auto &line = static_cast<const form::Line &>(control);
    const int pad = reachOf(line);
    // Only the part of the line that can touch the canvas is repainted, so
    // a hand of any length costs what one across the face costs.
    const auto ends = linePixels(line, at.origin, at.canvas);
    if (!ends)
        return {};
    const auto inside = clipSegment(ends->first.x(), ends->first.y(), ends->second.x(), ends->second.y(),
                                    at.canvas.adjusted(-pad, -pad, pad, pad));
    if (!inside)
        return {};
    const auto [a, b] = *inside;
    // Bands of 16 device pixels: on a denser screen each canvas pixel is
    // several to copy and send.
    const int kBand = std::max(4, int(std::lround(16 / std::max(1.0, double(at.scale)))));
    const int firstBand = floorDiv(std::min(a.y(), b.y()) - pad, kBand);
    const int lastBand = floorDiv(std::max(a.y(), b.y()) + pad, kBand);
    std::vector<QRect> rows;
    rows.reserve(std::size_t(lastBand - firstBand + 1));
    for (int band = firstBand; band <= lastBand; ++band) {
        // Where the line runs within the band's rows widened by the pad.
        double left = std::min(a.x(), b.x());
        double right = std::max(a.x(), b.x());
        if (a.y() != b.y()) {
            const double dy = b.y() - a.y();
            const double t0 = std::clamp((band * kBand - pad - a.y()) / dy, 0.0, 1.0);
            const double t1 = std::clamp((band * kBand + kBand - 1 + pad - a.y()) / dy, 0.0, 1.0);
            const double x0 = a.x() + t0 * (b.x() - a.x());
            const double x1 = a.x() + t1 * (b.x() - a.x());
            left = std::min(x0, x1);
            right = std::max(x0, x1);
        }
        const QRect run = QRect(QPoint(int(std::floor(left)) - pad, band * kBand),
                                QPoint(int(std::ceil(right)) + pad, band * kBand + kBand - 1)) &
                          at.canvas;
        if (run.isEmpty())
            continue;
        if (!rows.empty() && rows.back().left() == run.left() && rows.back().right() == run.right() &&
            rows.back().bottom() + 1 == run.top())
            rows.back().setBottom(run.bottom());
        else
            rows.push_back(run);
    }
    // One rectangle a band, bands top to bottom: already the form a region
    // keeps, so it is handed over as it is instead of joined box by box.
    QRegion region;
    region.setRects(rows.data(), int(rows.size()));
    return region;
}

} // namespace

ControlPiece LinePiece()
{
    return {.make = &makeLine,
            .watchLook = &watchLine,
            .paint = &paintLine,
            .coverage = &lineCoverage,
            .damage = &lineDamage,
            .rows = &lineRows,
            .skippedOutsideRepaint = true};
}

} // namespace orbelle::formqt
