// SPDX-License-Identifier: MIT
#pragma once
// A repeating timer. Interval 0 stops it; setting the interval it already
// has does not restart its countdown.

#include <functional>

#include "Control.h"

namespace orbelle::form {

struct TimerState {
    int Interval = 0; // milliseconds
    bool TimerEnabled = true;
    // The handler only acts when the second of the time has changed, so the
    // binding may wake it just after each second boundary instead of at
    // every interval.
    bool PollsForNewSecond = false;
    friend bool operator==(const TimerState &, const TimerState &) = default;
};

class Timer : public Control, public TimerState {
public:
    using State = TimerState;
    explicit Timer(std::string name = "Timer", int index = -1) : Control(Kind::Timer, std::move(name), index)
    {
        Visible = false;
    }

    std::function<void()> Tick;
};

} // namespace orbelle::form
