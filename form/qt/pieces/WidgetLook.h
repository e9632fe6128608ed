// SPDX-License-Identifier: MIT
#pragma once
// What the control pieces share in bringing a widget up to date with its
// control (the look last applied, the place, the colours and the fonts) and
// in painting a windowless control on its canvas.

#include <QFont>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "Control.h"
#include "Line.h"
#include "Units.h"

namespace orbelle::formqt {

// Calls `apply` with the control's current look whenever it differs from the
// look last applied.
template <class T, class Apply>
std::function<void()> watch(T &control, Apply apply)
{
    struct Look {
        form::ControlState place;
        typename T::State own;
        bool operator==(const Look &) const = default;
    };
    return [&control, apply, last = std::optional<Look>()]() mutable {
        Look now{static_cast<const form::ControlState &>(control), static_cast<const typename T::State &>(control)};
        if (last && *last == now)
            return;
        apply(now.place, now.own, last ? &last->place : nullptr, last ? &last->own : nullptr);
        last = now;
    };
}

// A look is what a control shows: its place and its own properties. The
// check tells whether it changed since the last call, and keeps the new one.
template <class T>
std::function<bool()> lookWatcher(const form::Control &control)
{
    struct Look {
        form::ControlState place;
        typename T::State own;
        bool operator==(const Look &) const = default;
    };
    const auto &own = static_cast<const T &>(control);
    return [&own, last = std::optional<Look>()]() mutable {
        Look now{static_cast<const form::ControlState &>(own), static_cast<const typename T::State &>(own)};
        if (last && *last == now)
            return false;
        last = now;
        return true;
    };
}

void applyPlace(QWidget *w, const form::ControlState &now, const form::ControlState *before);
void applyColours(QWidget *w, int fore, int back, bool fillBackground);
Qt::Alignment toQtAlignment(form::Alignment a);
// The design font, made smaller in quarter points where the installed face
// is wider than the one the form was laid out with and the text would not
// fit its box (or would wrap to more lines than the box holds).
QFont fittingFont(QFont font, QSize box, bool wrap, const QString &text);
Qt::PenStyle toQtPenStyle(form::PenStyle style);

} // namespace orbelle::formqt
