// SPDX-License-Identifier: MIT
// The UpDown piece: a pair of arrows that step the control.


#include "pieces/ControlPiece.h"
#include "Conversions.h"
#include "QtBinding.h"
#include "pieces/SpinArrows.h"
#include "UpDown.h"
#include "pieces/WidgetLook.h"

namespace orbelle::formqt {

namespace {

PieceItem makeUpDown(form::Control &control, const PieceContext &at)
{
    PieceItem item;
    QtBinding &binding = at.binding;
    auto &spin = static_cast<form::UpDown &>(control);
    auto *w = new SpinArrows(at.parent);
    w->stepUp = [&binding, &spin] { binding.dispatch([&spin] { spin.stepUp(); }); };
    w->stepDown = [&binding, &spin] { binding.dispatch([&spin] { spin.stepDown(); }); };
    w->setAccessibleName(QString::fromStdString(control.displayName()));
    item.widget = w;
    item.sync = watch(spin, [w](const form::ControlState &now, const form::UpDownState &,
                                const form::ControlState *before, const form::UpDownState *) {
        applyPlace(w, now, before);
    });
    return item;
}

} // namespace

ControlPiece UpDownPiece()
{
    return {&makeUpDown, nullptr, nullptr};
}

} // namespace orbelle::formqt
