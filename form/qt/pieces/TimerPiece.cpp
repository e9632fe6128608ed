// SPDX-License-Identifier: MIT
// The Timer piece: no widget: a driver that runs the timer while it is enabled.


#include "pieces/ControlPiece.h"
#include "Conversions.h"
#include "Timer.h"
#include "desktop/TimerDriver.h"
#include "pieces/WidgetLook.h"

namespace orbelle::formqt {

namespace {

PieceItem makeTimer(form::Control &control, const PieceContext &at)
{
    PieceItem item;
    auto *driver = new TimerDriver(static_cast<form::Timer &>(control), at.binding, at.window);
    item.timer = driver;
    item.sync = [driver] { driver->sync(); };
    return item;
}

} // namespace

ControlPiece TimerPiece()
{
    return {.make = &makeTimer, .runsHidden = true};
}

} // namespace orbelle::formqt
