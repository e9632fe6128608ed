// SPDX-License-Identifier: MIT
// The Label piece: a text label; one inside a picture box has no widget and
// is painted by its canvas instead.

#include <QLabel>
#include <QPainter>

#include "pieces/ControlPiece.h"
#include "Conversions.h"
#include "Label.h"
#include "pieces/WidgetLook.h"

namespace orbelle::formqt {

namespace {

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

std::function<bool()> watchLabel(const form::Control &control)
{
    return lookWatcher<form::Label>(control);
}

void paintLabel(QPainter &p, const form::Control &control, const CanvasPlace &at)
{
    const auto &label = static_cast<const form::Label &>(control);
    const QRect r(at.origin + QPoint(toPixels(label.Left), toPixels(label.Top)),
                  QSize(toPixels(label.Width), toPixels(label.Height)));
    if (!label.Transparent)
        p.fillRect(r, toQColor(label.BackColor));
    p.setPen(toQColor(label.ForeColor));
    p.setFont(toQFont(label.TextFont));
    int flags = label.WordWrap ? Qt::TextWordWrap : 0;
    flags |= label.TextAlign == form::Alignment::Center ? Qt::AlignHCenter
             : label.TextAlign == form::Alignment::Right ? Qt::AlignRight
                                                           : Qt::AlignLeft;
    p.drawText(r, flags | Qt::AlignTop, QString::fromStdString(label.Caption));
}

bool labelHearsMoves(const form::Control &control)
{
    return bool(static_cast<const form::Label &>(control).MouseMove);
}

} // namespace

ControlPiece LabelPiece()
{
    return {.make = &makeLabel,
            .watchLook = &watchLabel,
            .paint = &paintLabel,
            .hearsMoves = &labelHearsMoves,
            .liesBelow = true};
}

} // namespace orbelle::formqt
