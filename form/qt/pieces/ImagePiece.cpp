// SPDX-License-Identifier: MIT
// The Image piece: no widget; its canvas paints the image's single border
// where it has one (the picture itself is the canvas's own).

#include <QPainter>

#include "pieces/ControlPiece.h"
#include "Conversions.h"
#include "Image.h"
#include "pieces/WidgetLook.h"

namespace orbelle::formqt {

namespace {

PieceItem makeImage(form::Control &, const PieceContext &)
{
    return noWidget();
}

void paintImage(QPainter &p, const form::Control &control, const CanvasPlace &at)
{
    const auto &image = static_cast<const form::Image &>(control);
    if (!image.SingleBorder)
        return;
    const QRect r(at.origin + QPoint(toPixels(image.Left), toPixels(image.Top)),
                  QSize(toPixels(image.Width), toPixels(image.Height)));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

bool imageHearsMoves(const form::Control &control)
{
    return bool(static_cast<const form::Image &>(control).MouseMove);
}

} // namespace

ControlPiece ImagePiece()
{
    return {.make = &makeImage,
            .watchLook = &lookWatcher<form::Image>,
            .paint = &paintImage,
            .hearsMoves = &imageHearsMoves};
}

} // namespace orbelle::formqt
