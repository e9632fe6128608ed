// SPDX-License-Identifier: MIT
#pragma once
// Runs a form's timer on a QTimer. A timer whose handler only acts on a new
// second wakes once a second, just after each second boundary, re-aimed
// from the wall clock every time, instead of at every interval.

#include <QObject>
#include <QTimer>

#include "Timer.h"

namespace orbelle::formqt {

class QtBinding;

class TimerDriver : public QObject {
    Q_OBJECT
public:
    TimerDriver(form::Timer &timer, QtBinding &binding, QObject *parent);

    // Restarts the countdown only when the interval or the switch changed.
    void sync();
    // Stops for good and goes once control is back in the event loop; its
    // timer may be gone already.
    void retire();

    // Milliseconds past each second boundary at which an aligned timer fires.
    static constexpr int kBoundaryMarginMs = 2;
    // Milliseconds from `epochMs` to the next aim point.
    static int msToNextSecond(qint64 epochMs);

private:
    void fire();
    void aim(int firstShotMs);

    form::Timer &timer_;
    QtBinding &binding_;
    QTimer qtimer_;
    form::TimerState last_;
    bool retired_ = false;
};

} // namespace orbelle::formqt
