// SPDX-License-Identifier: MIT
#pragma once
// The top-level window of one form: builds a widget for each of its windowed
// controls (and a canvas for each picture box), keeps them up to date with
// the model, and passes the window's own events to the form's callbacks.
// Owns its widgets and timer drivers; the form and its controls belong to
// the program.

#include <QPoint>
#include <QRegion>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>

#include "desktop/WindowAbilities.h"
#include "Form.h"
#include "Services.h"

namespace orbelle::formqt {

class QtBinding;
class ShapeCutter;
class TimerDriver;

// The pixels of the ellipse inscribed in the box from (left, top) to
// (right, bottom), right and bottom excluded.
QRegion ellipseRegion(int left, int top, int right, int bottom);

class FormWindow : public QWidget {
    Q_OBJECT
public:
    FormWindow(form::Form &form, QtBinding &binding);
    ~FormWindow() override;

    form::Form &form() { return form_; }
    // Brings the window and its widgets up to date with the model.
    void sync();
    // Cuts the window to the region, or gives it back its rectangle. Where
    // the window system cannot cut windows, a borderless window is
    // see-through and shows only its region's pixels, and the region goes
    // to its native window as the area that takes input.
    void setRegion(const std::optional<form::WindowRegion> &region);
    QWidget *widgetOf(const form::Control &control) const;

    // Moving the window by a press on one of its canvases: the press is
    // noted, the form's handler may ask for the move, and the canvas hands
    // its moves and release here first (true: taken by the move).
    void notePress(QMouseEvent *event);
    void beginDrag();
    bool dragMove(QMouseEvent *event);
    bool dragEnd(QMouseEvent *event);

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    // Keys for the form before its controls, where it asks for them first.
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    struct Item {
        form::Control *control = nullptr;
        // Guarded: a container's removal takes its children's widgets along.
        QPointer<QWidget> widget;
        QPointer<TimerDriver> timer;
        std::function<void()> sync;
    };
    // Makes the items of new controls (only the timers' without widgets)
    // and drops those of removed ones.
    void rebuild(bool withWidgets);
    Item makeItem(form::Control &control);
    // The steps of sync: the controls' items (only the timers' while the
    // window is hidden), the window's own look and place, whether it is
    // shown, and a focus the form asked for.
    void syncControls(bool hidden);
    void applyLook(const form::FormState &now, const form::FormState *before);
    void applyShown(const form::FormState &now);
    void applyFocusRequest();
    void applyWindowFlags();
    // Makes a borderless window see-through where the window system cannot
    // cut it (before its native window is made).
    void applyTranslucency();
    void applyInputRegion();
    void placeOnScreen();
    // The client area: the window itself, or the widget below the bars that
    // lie above it (a menu bar), which every control's widget is put in.
    QWidget *clientHolder() const { return client_ ? client_ : const_cast<FormWindow *>(this); }
    QPoint clientOffset() const { return client_ ? client_->pos() : QPoint(0, 0); }
    void makeClientHolder();
    // Pixels the bars above the client area take.
    int barsHeight() const;
    // Puts the bars and the client area in their places.
    void placeClient();
    // Passes a key to the form's KeyDown; true when the form kept it.
    bool offerKey(QKeyEvent *event);
    // Applies the window's size and its smallest size from the model.
    void applySize(const form::FormState &now, const form::FormState *before);
    // Keeps the form's client size up to date with the window's and raises
    // its resize event once the window's resizes have settled.
    void noteClientSize();
    void raiseResize();
    // Whether the window manager's move has begun; false while waiting.
    bool catchUp(QMouseEvent *event);

    form::Form &form_;
    QtBinding &binding_;
    const WindowAbilities abilities_;
    // Clears what lies outside the region, on a see-through window only.
    QPointer<ShapeCutter> cutter_;
    QRegion inputRegion_; // window pixels of a see-through window taking input; empty: all
    std::map<std::uint64_t, Item> items_;
    std::uint64_t layoutRevision_ = ~std::uint64_t(0);
    // The layout the timers were last brought up to, while hidden.
    std::uint64_t timerRevision_ = ~std::uint64_t(0);
    std::uint64_t focusRequests_ = 0;
    std::uint64_t showRequests_ = 0;
    std::optional<form::FormState> last_;
    bool shownOnce_ = false;
    bool applying_ = false;
    bool pressed_ = false;
    bool wasActive_ = false;
    bool resizePending_ = false; // a resize event is queued for the form
    QSize reportedClient_;        // pixels, the client size last given to the form
    std::optional<form::WindowRegion> region_;
    QWidget *client_ = nullptr;
    int barsApplied_ = 0; // pixels, the bars' height the window was sized with
    // A key passed on to the controls after the form declined it.
    bool passingKeyOn_ = false;

    QPoint lastPressGlobal_;
    // A drag asked for by a press, until the pointer has moved far enough.
    bool dragPending_ = false;
    QPoint pendingFrom_; // global pixels of the press
    // A drag past the drag distance while the window is being put under
    // the pointer before the window manager's move starts (see dragMove).
    bool catchingUp_ = false;
    QPoint catchGrab_;   // the grabbed point, window pixels
    QPoint catchTarget_; // where the window is to lie, global pixels
    // Followed by the program itself, without a window manager.
    bool dragging_ = false;
    QPoint dragOffset_;
};

} // namespace orbelle::formqt
