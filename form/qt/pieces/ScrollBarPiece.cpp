// SPDX-License-Identifier: MIT
// The ScrollBar piece: a horizontal or vertical scroll bar whose moves by
// the user reach the control's Change event.

#include <QScrollBar>
#include <algorithm>

#include "pieces/ControlPiece.h"
#include "QtBinding.h"
#include "ScrollBar.h"
#include "pieces/WidgetLook.h"

namespace orbelle::formqt {

namespace {

PieceItem makeScrollBar(form::Control &control, const PieceContext &at)
{
    PieceItem item;
    QtBinding &binding = at.binding;
    auto &bar = static_cast<form::ScrollBar &>(control);
    auto *w = new QScrollBar(bar.Horizontal ? Qt::Horizontal : Qt::Vertical, at.parent);
    w->setAccessibleName(QString::fromStdString(control.displayName()));
    bool &applying = at.applying;
    // Values the model sets are no moves of the user's: the window applies
    // them with `applying` set.
    QObject::connect(w, &QScrollBar::valueChanged, w, [&binding, &bar, &applying](int value) {
        if (applying || value == bar.Value)
            return;
        binding.dispatch([&bar, value] {
            bar.Value = value;
            if (bar.Change)
                bar.Change();
        });
    });
    item.widget = w;
    item.sync = watch(bar, [w, &applying](const form::ControlState &now, const form::ScrollBarState &own,
                                          const form::ControlState *before, const form::ScrollBarState *) {
        const bool was = applying;
        applying = true;
        w->setOrientation(own.Horizontal ? Qt::Horizontal : Qt::Vertical);
        w->setRange(own.Min, std::max(own.Min, own.Max));
        w->setSingleStep(std::max(1, own.SmallChange));
        w->setPageStep(std::max(1, own.LargeChange));
        w->setValue(own.Value);
        applyPlace(w, now, before);
        applying = was;
    });
    return item;
}

} // namespace

ControlPiece ScrollBarPiece()
{
    return {&makeScrollBar, nullptr, nullptr};
}

} // namespace orbelle::formqt
