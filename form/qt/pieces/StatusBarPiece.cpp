// SPDX-License-Identifier: MIT
// The StatusBar piece: a status bar with a sunken panel of text taking the
// free width, and further panels to its right for the texts the form gives.

#include <QLabel>
#include <QStatusBar>
#include <memory>
#include <vector>

#include "pieces/ControlPiece.h"
#include "Conversions.h"
#include "StatusBar.h"
#include "pieces/WidgetLook.h"

namespace orbelle::formqt {

namespace {

// The panels after the first: made as texts first need them, hidden while
// their text is empty.
void syncMorePanels(QStatusBar *bar, std::vector<QLabel *> &panels, const std::vector<std::string> &texts)
{
    while (panels.size() < texts.size()) {
        auto *label = new QLabel(bar);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        bar->addPermanentWidget(label);
        panels.push_back(label);
    }
    for (std::size_t i = 0; i < panels.size(); ++i) {
        const QString text = i < texts.size() ? toQString(texts[i]) : QString();
        panels[i]->setText(text);
        panels[i]->setAccessibleName(text);
        panels[i]->setVisible(!text.isEmpty());
    }
}

PieceItem makeStatusBar(form::Control &control, const PieceContext &at)
{
    PieceItem item;
    auto &bar = static_cast<form::StatusBar &>(control);
    auto *w = new QStatusBar(at.parent);
    w->setSizeGripEnabled(false);
    // Opaque: a canvas larger than the window may lie beneath it.
    w->setAutoFillBackground(true);
    auto *panel = new QLabel(w);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    w->addWidget(panel, 1);
    item.widget = w;
    auto more = std::make_shared<std::vector<QLabel *>>();
    item.sync = watch(bar, [w, panel, more](const form::ControlState &now, const form::StatusBarState &own,
                                            const form::ControlState *before, const form::StatusBarState *) {
        syncMorePanels(w, *more, own.MorePanels);
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
