// SPDX-License-Identifier: MIT
// Moving a form's window by a press on one of its canvases, started by the
// form's handler (Services::beginWindowDrag), without a title bar.

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>

#include "FormWindow.h"

namespace orbelle::formqt {

namespace {
bool buttonHeld(const QMouseEvent *event)
{
    return event->buttons() & (Qt::LeftButton | Qt::MiddleButton);
}
} // namespace

void FormWindow::notePress(QMouseEvent *event)
{
    lastPressGlobal_ = event->globalPosition().toPoint();
}

void FormWindow::beginDrag()
{
    // The move itself starts once the pointer has gone the platform's drag
    // distance with the button held (see dragMove).
    if (!windowHandle())
        return;
    dragPending_ = true;
    pendingFrom_ = lastPressGlobal_;
}

bool FormWindow::dragMove(QMouseEvent *event)
{
    const QPoint at = event->globalPosition().toPoint();
    if (dragPending_ && !buttonHeld(event))
        dragPending_ = false;
    if (dragPending_ && (at - pendingFrom_).manhattanLength() >= QApplication::startDragDistance()) {
        // The move starts only now, with the button still held: a window
        // manager asked to move a window after the release has gone by
        // would move it with the pointer until the next click.
        dragPending_ = false;
        if (!abilities_.placesWindows) {
            // The compositor moves the window from where it lies, which the
            // program cannot know: nothing to put under the pointer first.
            if (windowHandle())
                windowHandle()->startSystemMove();
            return true;
        }
        catchingUp_ = true;
        catchGrab_ = pendingFrom_ - pos();
        catchTarget_ = at - catchGrab_;
        // The window first goes where the pointer now holds it.
        move(catchTarget_);
        return true;
    }
    if (catchingUp_ && !catchUp(event))
        return true;
    if (!dragging_)
        return false;
    move(at - dragOffset_);
    return true;
}

bool FormWindow::catchUp(QMouseEvent *event)
{
    // The window manager moves the window by how far the pointer goes from
    // the last event the window saw, as the window lay then: the move
    // starts with the first event after the window manager has put the
    // window in its place.
    if (!buttonHeld(event) || !windowHandle()) {
        catchingUp_ = false;
        return false;
    }
    if (windowHandle()->position() != catchTarget_)
        return false;
    catchingUp_ = false;
    if (windowHandle()->startSystemMove())
        return false;
    // No window manager to move it: follow the mouse ourselves until the
    // button is released.
    dragging_ = true;
    dragOffset_ = catchGrab_;
    return true;
}

bool FormWindow::dragEnd(QMouseEvent *event)
{
    // A press and release without a move between them is a click.
    dragPending_ = false;
    if (catchingUp_) {
        // Let go before the move started: the window still goes where the
        // pointer left it.
        move(event->globalPosition().toPoint() - catchGrab_);
        catchingUp_ = false;
        return true;
    }
    if (!dragging_)
        return false;
    move(event->globalPosition().toPoint() - dragOffset_);
    dragging_ = false;
    return true;
}

} // namespace orbelle::formqt
