// SPDX-License-Identifier: MIT
#include "desktop/TimerDriver.h"

#include <QDateTime>
#include <algorithm>

#include "QtBinding.h"

namespace orbelle::formqt {

TimerDriver::TimerDriver(form::Timer &timer, QtBinding &binding, QObject *parent)
    : QObject(parent), timer_(timer), binding_(binding)
{
    qtimer_.setTimerType(Qt::PreciseTimer);
    connect(&qtimer_, &QTimer::timeout, this, &TimerDriver::fire);
    last_.Interval = 0;
    last_.TimerEnabled = false;
}

int TimerDriver::msToNextSecond(qint64 epochMs)
{
    const int into = int(((epochMs % 1000) + 1000) % 1000);
    int wait = 1000 - into + kBoundaryMarginMs;
    if (wait > 1000)
        wait -= 1000; // still within the margin of the boundary just passed
    return wait;
}

void TimerDriver::sync()
{
    const form::TimerState now = timer_;
    if (now == last_)
        return;
    last_ = now;
    qtimer_.stop();
    if (now.Interval <= 0 || !now.TimerEnabled)
        return;
    if (now.PollsForNewSecond) {
        // The first look comes after one interval, as a poll would; from
        // then on once a second.
        aim(now.Interval);
    } else {
        qtimer_.setSingleShot(false);
        qtimer_.start(now.Interval);
    }
}

void TimerDriver::aim(int firstShotMs)
{
    qtimer_.setSingleShot(true);
    const int toBoundary = msToNextSecond(QDateTime::currentMSecsSinceEpoch());
    qtimer_.start(std::min(firstShotMs, toBoundary));
}

void TimerDriver::retire()
{
    retired_ = true;
    qtimer_.stop();
    deleteLater();
}

void TimerDriver::fire()
{
    if (timer_.Tick)
        binding_.dispatch([this] { timer_.Tick(); });
    // The handler may have removed this very timer.
    if (retired_)
        return;
    if (last_.PollsForNewSecond && last_.Interval > 0 && last_.TimerEnabled && !qtimer_.isActive())
        aim(1000);
}

} // namespace orbelle::formqt
