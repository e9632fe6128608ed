// SPDX-License-Identifier: MIT
// The PictureBox piece: a canvas that paints the box and the windowless controls it holds.


#include "canvas/CanvasWidget.h"
#include "pieces/ControlPiece.h"
#include "Conversions.h"
#include "Form.h"
#include "pieces/WidgetLook.h"

namespace orbelle::formqt {

namespace {

PieceItem makePictureBox(form::Control &control, const PieceContext &at)
{
    PieceItem item;
    auto &box = static_cast<form::PictureBox &>(control);
    auto *canvas = new CanvasWidget(box, at.binding, at.parent);
    item.widget = canvas;
    auto place = watch(box, [canvas](const form::ControlState &now, const form::PictureBoxState &,
                                     const form::ControlState *before, const form::PictureBoxState *) {
        applyPlace(canvas, now, before);
    });
    item.sync = [place, canvas]() mutable {
        place();
        canvas->syncContents();
    };
    return item;
}

} // namespace

ControlPiece PictureBoxPiece()
{
    return {&makePictureBox, nullptr, nullptr};
}

} // namespace orbelle::formqt
