// SPDX-License-Identifier: MIT
// The OptionButton piece: a radio button whose group the model keeps exclusive.

#include <QRadioButton>

#include "pieces/ControlPiece.h"
#include "Conversions.h"
#include "OptionButton.h"
#include "QtBinding.h"
#include "pieces/WidgetLook.h"

namespace orbelle::formqt {

namespace {

PieceItem makeOptionButton(form::Control &control, const PieceContext &at)
{
    PieceItem item;
    QtBinding &binding = at.binding;
    auto &option = static_cast<form::OptionButton &>(control);
    auto *w = new QRadioButton(at.parent);
    // The model keeps the group exclusive; Qt must not do it twice.
    w->setAutoExclusive(false);
    QObject::connect(w, &QRadioButton::clicked, w, [&binding, &option, w] {
        binding.dispatch([&option] { option.setValue(true); });
        w->setChecked(option.Value);
    });
    item.widget = w;
    item.sync = watch(option, [w](const form::ControlState &now, const form::OptionButtonState &own,
                                  const form::ControlState *before, const form::OptionButtonState *) {
        w->setText(toQString(own.Caption));
        w->setAccessibleName(toQString(own.Caption));
        w->setFont(toQFont(own.TextFont));
        w->setChecked(own.Value);
        applyPlace(w, now, before);
    });
    return item;
}

} // namespace

ControlPiece OptionButtonPiece()
{
    return {&makeOptionButton, nullptr, nullptr};
}

} // namespace orbelle::formqt
