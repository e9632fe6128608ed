// SPDX-License-Identifier: MIT
#pragma once
// One piece per kind of control: how a form's window shows a control of
// that kind. A piece builds the control's widget (or says it has none) and
// gives back how to bring it up to date with the model; a windowless one
// tells its canvas when its look changed and paints it there. The pieces
// are listed once, in ControlPiece.cpp.

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QWidget>
#include <QtGui/qrgb.h>
#include <functional>
#include <vector>

#include "Control.h"

class QPainter;

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

// Where a windowless control is painted: the canvas's content origin and
// its whole rectangle, in widget pixels.
struct CanvasPlace {
    QPoint origin;
    QRect canvas;
    // While painting: the part of the canvas being repainted, in canvas
    // pixels; a piece may leave out what lies wholly outside it. None when
    // the whole canvas is painted.
    const QRegion *repainting = nullptr;
    // Device pixels to a canvas pixel.
    qreal scale = 1;
};

// What a windowless control puts on a canvas whose pixels the X server
// draws: rows of device pixels in one opaque colour.
struct PaintedRows {
    QRgb colour = 0;
    bool maskNotPen = false; // clears the colour's bits from the pixels beneath instead of replacing them
    std::vector<QRect> rows; // device pixels of the canvas widget, a row high each
};

struct ControlPiece {
    PieceItem (*make)(form::Control &control, const PieceContext &at) = nullptr;
    // For a control its canvas paints: a check that compares the control's
    // look with the one last seen, keeps the new one and tells whether it
    // changed; and the painting. Left empty by kinds with widgets.
    std::function<bool()> (*watchLook)(const form::Control &control) = nullptr;
    void (*paint)(QPainter &p, const form::Control &control, const CanvasPlace &at) = nullptr;
    // The widget pixels a visible windowless control covers (by default its
    // box and two pixels around it), and the tighter region to repaint when
    // it changes (by default the same).
    QRect (*coverage)(const form::Control &control, const CanvasPlace &at) = nullptr;
    QRegion (*damage)(const form::Control &control, const CanvasPlace &at) = nullptr;
    // For a canvas the X server draws: the rows the visible control covers
    // where it may touch `at.repainting`, the very pixels `paint` gives at
    // the whole-number scale `at.scale`. False where it cannot tell them, and
    // the canvas then paints. None for kinds that are only painted.
    bool (*rows)(const form::Control &control, const CanvasPlace &at, PaintedRows &out) = nullptr;
    // Not painted at all where its coverage misses the repainted area: its
    // painting costs the same however much of it the clip leaves.
    bool skippedOutsideRepaint = false;
    // Whether the control listens for moves without a button pressed.
    bool (*hearsMoves)(const form::Control &control) = nullptr;
    // Made and brought up to date while its window is hidden (a timer runs
    // whether its form is shown or not).
    bool runsHidden = false;
    // Its widget lies below those of the other kinds (text boxes, buttons
    // and spins stay above the labels whatever their order).
    bool liesBelow = false;
    // Its widget belongs to the window rather than to the form's client
    // area: it lies above the client area, which moves down by its height
    // (the menu bar).
    bool liesAboveClient = false;
};

// What a kind without a widget builds: nothing, and nothing to bring up to
// date.
PieceItem noWidget();

// The piece of a kind; a kind without one of its own gets one that builds
// and paints nothing.
const ControlPiece &pieceOf(form::Control::Kind kind);

} // namespace orbelle::formqt
