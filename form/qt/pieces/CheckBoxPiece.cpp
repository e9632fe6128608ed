// SPDX-License-Identifier: MIT
// The CheckBox piece: a check box with its three states.

#include <QCheckBox>

#include "CheckBox.h"
#include "pieces/ControlPiece.h"
#include "Conversions.h"
#include "QtBinding.h"
#include "pieces/WidgetLook.h"

namespace orbelle::formqt {

namespace {

PieceItem makeCheckBox(form::Control &control, const PieceContext &at)
{
    PieceItem item;
    QtBinding &binding = at.binding;
    auto &check = static_cast<form::CheckBox &>(control);
    auto *w = new QCheckBox(at.parent);
    QObject::connect(w, &QCheckBox::clicked, w, [&binding, &check, w] {
        binding.dispatch([&check] { check.setValue(check.Value == 1 ? 0 : 1); });
        w->setCheckState(check.Value == 0 ? Qt::Unchecked : check.Value == 1 ? Qt::Checked : Qt::PartiallyChecked);
    });
    item.widget = w;
    item.sync = watch(check, [w, &check](const form::ControlState &now, const form::CheckBoxState &own,
                                         const form::ControlState *before, const form::CheckBoxState *) {
        w->setText(toQString(own.Caption));
        // A box too narrow for its caption still has a name to be read out.
        w->setAccessibleName(toQString(own.Caption.empty() ? check.displayName() : own.Caption));
        w->setFont(toQFont(own.TextFont));
        w->setTristate(own.Value == 2);
        w->setCheckState(own.Value == 0 ? Qt::Unchecked : own.Value == 1 ? Qt::Checked : Qt::PartiallyChecked);
        applyPlace(w, now, before);
    });
    return item;
}

} // namespace

ControlPiece CheckBoxPiece()
{
    return {&makeCheckBox, nullptr, nullptr};
}

} // namespace orbelle::formqt
