// SPDX-License-Identifier: MIT
#pragma once

#include <ctime>

#include "Services.h"

namespace orbelle::formqt {

// The wall clock's local time, read cheaply enough for a clock that asks
// every second. Reading the time zone again (the system's zone file, the TZ
// variable) costs a file status call, so it is done when a new minute starts
// rather than at every reading: a change of zone shows from the next minute.
// Every zone's offset changes on a whole minute, so the readings between
// are right.
class LocalClock {
public:
    form::LocalTime now();
    // The local time of a moment in seconds since 1970.
    form::LocalTime at(std::time_t seconds);

private:
    std::time_t zoneMinute_ = -1;
};

} // namespace orbelle::formqt
