// The Line piece: no widget; a line its canvas paints, in pieces of a few
// dozen rows, and repaints only when its ends move to other pixels.

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "ControlPiece.h"
#include "Conversions.h"
#include "Line.h"
#include "LineClip.h"
#include "WidgetLook.h"

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

// The raster engine hands a fill of more than about a hundred spans (device
// pixel rows) to a pool of threads, which wakes them at every tick; a long
// line is therefore drawn as pieces of fewer rows. Pieces meet on whole
// pixels, and both draw modes give the same pixel when it is drawn twice.
void drawInPieces(QPainter &p, QPoint a, QPoint b)
{
    // A stub shorter than a pixel still shows, as a dot the pen's width.
    if (a == b) {
        p.drawPoint(a);
        return;
    }
    constexpr int kMaxRows = 80;
    const double scale = std::max(1.0, std::abs(p.deviceTransform().m22()));
    const int rows = int(std::ceil(std::abs(b.y() - a.y()) * scale));
    const int pieces = std::max(1, (rows + kMaxRows - 1) / kMaxRows);
    QPoint from = a;
    for (int i = 1; i <= pieces; ++i) {
        const QPoint to = i == pieces ? b
                                      : QPoint(a.x() + int(std::lround(double(b.x() - a.x()) * i / pieces)),
                                               a.y() + int(std::lround(double(b.y() - a.y()) * i / pieces)));
        p.drawLine(from, to);
        from = to;
    }
}

void paintLine(QPainter &p, const form::Control &control, const CanvasPlace &at)
{
    const auto &line = static_cast<const form::Line &>(control);
    const auto ends = linePixels(line, at.origin, at.canvas);
    if (line.BorderStyle == form::PenStyle::Transparent || !ends)
        return;
    QPen pen(toQColor(line.BorderColor), std::max(1, line.BorderWidth), toQtPenStyle(line.BorderStyle),
             Qt::RoundCap, Qt::RoundJoin);
    if (line.BorderWidth <= 1)
        pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.setCompositionMode(line.Mode == form::DrawMode::MaskNotPen
                             ? QPainter::RasterOp_NotSourceAndDestination
                             : QPainter::CompositionMode_SourceOver);
    drawInPieces(p, ends->first, ends->second);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
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

// The line's pixels as boxes of a few dozen pixels along it, so a slanting
// hand does not repaint the square it spans.
QRegion lineDamage(const form::Control &control, const CanvasPlace &at)
{
    const auto &line = static_cast<const form::Line &>(control);
    // Half the pen's width, and a pixel for the rounding of its edges.
    const int pad = std::max(1, line.BorderWidth) / 2 + 2;
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
    // Pixels along the line's longer axis: smaller boxes send fewer bytes to
    // the display, but each box costs its own clipping and sending; 16
    // costs the least time on faces of 300 to 1000 pixels.
    constexpr int kStep = 16;
    const int span = std::max(std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
    const int pieces = std::max(1, (span + kStep - 1) / kStep);
    QRegion region;
    QPoint from = a;
    for (int i = 1; i <= pieces; ++i) {
        const QPoint to = i == pieces ? b
                                      : QPoint(a.x() + int(std::lround(double(b.x() - a.x()) * i / pieces)),
                                               a.y() + int(std::lround(double(b.y() - a.y()) * i / pieces)));
        region += QRect(from, to).normalized().adjusted(-pad, -pad, pad, pad);
        from = to;
    }
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
            .skippedOutsideRepaint = true};
}

} // namespace orbelle::formqt
