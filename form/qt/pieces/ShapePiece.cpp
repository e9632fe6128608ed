// SPDX-License-Identifier: MIT
// The Shape piece: no widget; the outline of a rectangle, square, oval or
// circle its canvas paints inside the shape's box.

#include <QPainter>
#include <algorithm>

#include "pieces/ControlPiece.h"
#include "Conversions.h"
#include "Shape.h"
#include "pieces/WidgetLook.h"

namespace orbelle::formqt {

namespace {

PieceItem makeShape(form::Control &, const PieceContext &)
{
    return noWidget();
}

void paintShape(QPainter &p, const form::Control &control, const CanvasPlace &at)
{
    const auto &shape = static_cast<const form::Shape &>(control);
    if (shape.BorderStyle == form::PenStyle::Transparent)
        return;
    QRect r(at.origin + QPoint(toPixels(shape.Left), toPixels(shape.Top)),
            QSize(toPixels(shape.Width), toPixels(shape.Height)));
    const int w = std::max(1, shape.BorderWidth);
    QPen pen(toQColor(shape.BorderColor), w, toQtPenStyle(shape.BorderStyle));
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // The outline lies inside the box: its last pixel is the box's last.
    r.adjust(w / 2, w / 2, -(w + 1) / 2, -(w + 1) / 2);
    if (shape.Figure == form::ShapeKind::Square || shape.Figure == form::ShapeKind::Circle ||
        shape.Figure == form::ShapeKind::RoundedSquare) {
        const int side = std::min(r.width(), r.height());
        r = QRect(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
    }
    switch (shape.Figure) {
    case form::ShapeKind::Oval:
    case form::ShapeKind::Circle: p.drawEllipse(r); break;
    case form::ShapeKind::RoundedRectangle:
    case form::ShapeKind::RoundedSquare: p.drawRoundedRect(r, 8, 8); break;
    default: p.drawRect(r); break;
    }
}

} // namespace

ControlPiece ShapePiece()
{
    return {&makeShape, &lookWatcher<form::Shape>, &paintShape};
}

} // namespace orbelle::formqt
