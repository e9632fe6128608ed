// SPDX-License-Identifier: MIT
// The StatusBar piece: a status bar with one sunken panel of text.

#include <QLabel>
#include <QStatusBar>

#include "pieces/ControlPiece.h"
#include "Conversions.h"
#include "StatusBar.h"
#include "pieces/WidgetLook.h"

namespace orbelle::formqt {

namespace {

PieceItem makeStatusBar(form::Control &control, const PieceContext &at)
{
    PieceItem item;
    auto &bar = static_cast<form::StatusBar &>(control);
    auto *w = new QStatusBar(at.parent);
    w->setSizeGripEnabled(false);
    auto *panel = new QLabel(w);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    w->addWidget(panel, 1);
    item.widget = w;
    item.sync = watch(bar, [w, panel](const form::ControlState &now, const form::StatusBarState &own,
                                      const form::ControlState *before, const form::StatusBarState *) {
        panel->setText(toQString(own.PanelText));
        panel->setAccessibleName(toQString(own.PanelText));
        w->setAccessibleName(toQString(own.PanelText));
        applyPlace(w, now, before);
    });
    return item;
}

} // namespace

ControlPiece StatusBarPiece()
{
    return {&makeStatusBar, nullptr, nullptr};
}

} // namespace orbelle::formqt
