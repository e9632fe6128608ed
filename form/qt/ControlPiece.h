#pragma once
// One piece per kind of control: how a form's window shows a control of
// that kind. A piece builds the control's widget (or says it has none) and
// gives back how to bring it up to date with the model. The pieces are
// listed once, in ControlPiece.cpp.

#include <QPointer>
#include <QWidget>
#include <functional>

#include "Control.h"

namespace orbelle::formqt {

class QtBinding;
class TimerDriver;

// Where a piece puts what it builds.
struct PieceContext {
    QtBinding &binding;
    QWidget *window; // the form's window
    QWidget *parent; // the window, or the widget of the control's container
    // Set while the window applies the model: edits then are not the user's.
    bool &applying;
};

// What a piece built for one control.
struct PieceItem {
    // Guarded: a container's removal takes its children's widgets along.
    QPointer<QWidget> widget;
    QPointer<TimerDriver> timer;
    std::function<void()> sync;
};

struct ControlPiece {
    PieceItem (*make)(form::Control &control, const PieceContext &at);
};

// The piece of a kind; kinds without one of their own (the windowless
// controls, painted by the canvas that holds them) get one that builds
// nothing.
const ControlPiece &pieceOf(form::Control::Kind kind);

} // namespace orbelle::formqt
