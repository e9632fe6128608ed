// The Label piece: a text label; one inside a picture box is painted by its canvas instead.

#include <QLabel>

#include "ControlPiece.h"
#include "Conversions.h"
#include "Label.h"
#include "WidgetLook.h"

namespace orbelle::formqt {

PieceItem makeLabel(form::Control &control, const PieceContext &at)
{
    PieceItem item;
    // A label inside a picture box is painted by the canvas.
    if (control.isWindowless()) {
        item.sync = [] {};
        return item;
    }
    auto &label = static_cast<form::Label &>(control);
    auto *w = new QLabel(at.parent);
    item.widget = w;
    item.sync = watch(label, [w](const form::ControlState &now, const form::LabelState &own,
                                 const form::ControlState *before, const form::LabelState *) {
        w->setText(toQString(own.Caption));
        w->setAccessibleName(toQString(own.Caption));
        w->setWordWrap(own.WordWrap);
        w->setAlignment(toQtAlignment(own.TextAlign) | Qt::AlignTop);
        applyColours(w, own.ForeColor, own.BackColor, !own.Transparent);
        applyPlace(w, now, before);
        w->setFont(fittingFont(toQFont(own.TextFont), w->size(), own.WordWrap, w->text()));
    });
    return item;
}

} // namespace orbelle::formqt
