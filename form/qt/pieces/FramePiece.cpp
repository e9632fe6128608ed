// SPDX-License-Identifier: MIT
// The Frame piece: a titled group box that holds other controls.

#include <QGroupBox>

#include "pieces/ControlPiece.h"
#include "Conversions.h"
#include "Frame.h"
#include "pieces/WidgetLook.h"

namespace orbelle::formqt {

namespace {

PieceItem makeFrame(form::Control &control, const PieceContext &at)
{
    PieceItem item;
    auto &frame = static_cast<form::Frame &>(control);
    auto *w = new QGroupBox(at.parent);
    item.widget = w;
    item.sync = watch(frame, [w](const form::ControlState &now, const form::FrameState &own,
                                 const form::ControlState *before, const form::FrameState *) {
        w->setTitle(toQString(own.Caption));
        w->setAccessibleName(toQString(own.Caption));
        w->setFont(toQFont(own.TextFont));
        applyColours(w, 0, own.BackColor, true);
        applyPlace(w, now, before);
    });
    return item;
}

} // namespace

ControlPiece FramePiece()
{
    return {&makeFrame, nullptr, nullptr};
}

} // namespace orbelle::formqt
